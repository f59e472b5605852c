// Up to 20 ranked tables in memory at once: each a fixed number of rows kept
// in order of an integer score, with a name and opaque extra bytes per row,
// saved to and loaded from files whose bytes are scrambled by position.
//
// A row is a 32-bit score (least significant byte first), nameWidth bytes of
// zero-terminated name and extraWidth opaque bytes; rows lie back to back in
// one fixed block, row 1 first. A table file is exactly that block, each byte
// XOR the low 8 bits of its offset, with no header: the geometry comes from
// the slot it is loaded into.
//
// Slots run 0 to 19 and rows 1 to rowCount. Every operation refuses a slot
// number outside that range, and every row operation an empty slot, with 0
// (or NULL) and without touching memory. A new table's rows are undefined
// until the caller fills them with SetRankRow or LoadRankTable.
#ifndef KOVRA_RANK_TABLE_H
#define KOVRA_RANK_TABLE_H

enum { RankTableSlotCount = 20 };

struct RankTableSlot {
    int descending;         // non-zero: highest score first
    void* memory;           // the fixed global block; NULL while empty
    unsigned char* data;    // its locked address; NULL while empty
    int rowCount;
    int nameWidth;
    int extraWidth;
};

extern RankTableSlot gRankTables[RankTableSlotCount];

// Forgets every table without releasing it; for the start only. Always 1.
int InitRankTables();
// Releases every table. Always 1.
int FreeRankTables();

// 1 when the slot holds a new table of rowCount rows. 0, with the slot left
// empty, when the block cannot be obtained or its size (rows of
// 4 + nameWidth + extraWidth bytes) is negative or does not fit in 31 bits;
// 0 and nothing changed for a slot number outside 0..19. A table the slot
// already holds is not released: free the slot first.
int CreateRankTable(int slot, int rowCount, int nameWidth, int extraWidth, int descending);
// Releases the slot's block; nothing when the slot is empty. The geometry
// stays in the slot.
void FreeRankTable(int slot);

// 1 when written: the score, the name with its zero (the bytes after it keep
// what they held) and extraWidth bytes from extra. 0 for a row outside
// 1..rowCount or a name of nameWidth or more characters.
int SetRankRow(int slot, int row, int score, const char* name, const void* extra);
// 0 for a row outside 1..rowCount.
int GetRankScore(int slot, int row);
// The name inside the table, not a copy: valid until the table is freed, and
// showing whatever row later takes that place. NULL for a row outside the table.
const char* GetRankName(int slot, int row);
// Copies the row's extraWidth bytes to destination; 1, or 0 for a row
// outside the table.
int GetRankExtra(int slot, int row, void* destination);

// The 1-based row at which score would rank, before rows of an equal score;
// 0 when it ranks below every row.
int FindRankPosition(int slot, int score);
// Places the record at its rank, moving the rows below down by one (the last
// row drops out). 0, the table unchanged, when it ranks nowhere or the name
// has nameWidth or more characters.
int InsertRankRow(int slot, int score, const char* name, const void* extra);

// 1 when the file was opened and held a whole table; then the table is the
// file's first rowCount rows. 0, the table unchanged, when the file cannot
// be read, is shorter than the table, or has a row whose name field holds no
// zero byte.
int LoadRankTable(int slot, const char* path);
// 1 when the whole table was written to path (created or truncated). The
// table in memory is unchanged either way.
int SaveRankTable(int slot, const char* path);

#endif
