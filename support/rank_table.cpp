#include "support/rank_table.h"

#include <string.h>

// The fixed global blocks, or the C heap in the host build.
#include "support/global_memory.h"
#include "support/stream.h"

RankTableSlot gRankTables[RankTableSlotCount];

static RankTableSlot* SlotOf(int slot)
{
    if (slot < 0 || slot >= RankTableSlotCount)
        return NULL;
    return &gRankTables[slot];
}

// A slot that holds a table, or NULL.
static RankTableSlot* TableOf(int slot)
{
    RankTableSlot* table = SlotOf(slot);
    return table && table->data ? table : NULL;
}

// Creation keeps every block within 31 bits, so these sizes and offsets fit.
static size_t RowSize(const RankTableSlot* table)
{
    return 4 + (size_t)table->nameWidth + (size_t)table->extraWidth;
}

static size_t BlockSize(const RankTableSlot* table)
{
    return (size_t)table->rowCount * RowSize(table);
}

static unsigned char* RowOf(RankTableSlot* table, int row)
{
    if (row < 1 || row > table->rowCount)
        return NULL;
    return table->data + (size_t)(row - 1) * RowSize(table);
}

static void PutScore(unsigned char* row, int score)
{
    unsigned int value = (unsigned int)score;
    for (int i = 0; i < 4; ++i)
        row[i] = (unsigned char)(value >> (8 * i));
}

static int ScoreAt(const unsigned char* row)
{
    unsigned int value = row[0] | row[1] << 8 | row[2] << 16 | (unsigned int)row[3] << 24;
    return (int)value;
}

// Looks no further than the name field could hold.
static int NameFits(const RankTableSlot* table, const char* name)
{
    for (int i = 0; i < table->nameWidth; ++i)
        if (name[i] == '\0')
            return 1;
    return 0;
}

static void WriteRow(RankTableSlot* table, unsigned char* row, int score, const char* name, const void* extra)
{
    PutScore(row, score);
    size_t length = strlen(name);
    memcpy(row + 4, name, length + 1);
    if (table->extraWidth != 0)
        memcpy(row + 4 + table->nameWidth, extra, (size_t)table->extraWidth);
}

// Undoes itself: applied twice, the bytes are as before.
static void ScrambleByPosition(unsigned char* block, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        block[i] ^= (unsigned char)i;
}

// Whether every row's name field in block holds its zero: GetRankName hands
// out the field as a string, and a file is anyone's to edit.
static int NamesEnd(const RankTableSlot* table, const unsigned char* block)
{
    size_t rowSize = RowSize(table);
    for (int row = 0; row < table->rowCount; ++row) {
        const unsigned char* name = block + (size_t)row * rowSize + 4;
        if (!memchr(name, 0, (size_t)table->nameWidth))
            return 0;
    }
    return 1;
}

int InitRankTables()
{
    for (int i = 0; i < RankTableSlotCount; ++i) {
        gRankTables[i].memory = NULL;
        gRankTables[i].data = NULL;
    }
    return 1;
}

int FreeRankTables()
{
    for (int i = 0; i < RankTableSlotCount; ++i)
        FreeRankTable(i);
    return 1;
}

int CreateRankTable(int slot, int rowCount, int nameWidth, int extraWidth, int descending)
{
    RankTableSlot* table = SlotOf(slot);
    if (!table)
        return 0;
    // A failed creation leaves the slot empty, never with an old block
    // under the new geometry.
    table->memory = NULL;
    table->data = NULL;
    if (rowCount < 0 || nameWidth < 0 || extraWidth < 0)
        return 0;
    unsigned long long rowSize = 4ull + (unsigned)nameWidth + (unsigned)extraWidth;
    unsigned long long size = rowSize * (unsigned)rowCount;
    if (size > 0x7FFFFFFFull)
        return 0;

    table->rowCount = rowCount;
    table->nameWidth = nameWidth;
    table->extraWidth = extraWidth;
    table->descending = descending;
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, (size_t)size);
    if (!memory)
        return 0;
    unsigned char* data = (unsigned char*)GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return 0;
    }
    table->memory = memory;
    table->data = data;
    return 1;
}

void FreeRankTable(int slot)
{
    RankTableSlot* table = SlotOf(slot);
    if (!table || !table->data || !table->memory)
        return;
    GlobalUnlock(table->memory);
    GlobalFree(table->memory);
    table->memory = NULL;
    table->data = NULL;
}

int SetRankRow(int slot, int row, int score, const char* name, const void* extra)
{
    RankTableSlot* table = TableOf(slot);
    if (!table)
        return 0;
    unsigned char* place = RowOf(table, row);
    if (!place || !NameFits(table, name))
        return 0;
    WriteRow(table, place, score, name, extra);
    return 1;
}

int GetRankScore(int slot, int row)
{
    RankTableSlot* table = TableOf(slot);
    const unsigned char* place = table ? RowOf(table, row) : NULL;
    return place ? ScoreAt(place) : 0;
}

const char* GetRankName(int slot, int row)
{
    RankTableSlot* table = TableOf(slot);
    const unsigned char* place = table ? RowOf(table, row) : NULL;
    return place ? (const char*)place + 4 : NULL;
}

int GetRankExtra(int slot, int row, void* destination)
{
    RankTableSlot* table = TableOf(slot);
    const unsigned char* place = table ? RowOf(table, row) : NULL;
    if (!place)
        return 0;
    if (table->extraWidth != 0)
        memcpy(destination, place + 4 + table->nameWidth, (size_t)table->extraWidth);
    return 1;
}

int FindRankPosition(int slot, int score)
{
    RankTableSlot* table = TableOf(slot);
    if (!table)
        return 0;
    for (int row = 1; row <= table->rowCount; ++row) {
        int held = ScoreAt(RowOf(table, row));
        if (table->descending ? held <= score : held >= score)
            return row;
    }
    return 0;
}

int InsertRankRow(int slot, int score, const char* name, const void* extra)
{
    RankTableSlot* table = TableOf(slot);
    if (!table || !NameFits(table, name))
        return 0;
    int position = FindRankPosition(slot, score);
    if (position == 0)
        return 0;
    size_t rowSize = RowSize(table);
    for (int row = table->rowCount; row > position; --row)
        memcpy(RowOf(table, row), RowOf(table, row - 1), rowSize);
    WriteRow(table, RowOf(table, position), score, name, extra);
    return 1;
}

int LoadRankTable(int slot, const char* path)
{
    RankTableSlot* table = TableOf(slot);
    if (!table)
        return 0;
    Stream* file = StreamOpen(path, StreamReadBinary);
    if (!file)
        return 0;
    // Read aside first: a file cut short must not leave a half-loaded table.
    size_t size = BlockSize(table);
    HGLOBAL scratchMemory = GlobalAlloc(GMEM_FIXED, size);
    unsigned char* scratch = scratchMemory ? (unsigned char*)GlobalLock(scratchMemory) : NULL;
    size_t got = scratch ? StreamRead(file, scratch, size) : 0;
    StreamClose(file);
    int loaded = scratch && got == size;
    if (loaded) {
        ScrambleByPosition(scratch, size);
        loaded = NamesEnd(table, scratch);
    }
    if (loaded)
        memcpy(table->data, scratch, size);
    if (scratch)
        GlobalUnlock(scratchMemory);
    if (scratchMemory)
        GlobalFree(scratchMemory);
    return loaded;
}

int SaveRankTable(int slot, const char* path)
{
    RankTableSlot* table = TableOf(slot);
    if (!table)
        return 0;
    size_t size = BlockSize(table);
    ScrambleByPosition(table->data, size);
    int written = 0;
    Stream* file = StreamOpen(path, StreamWriteBinary);
    if (file) {
        written = StreamWrite(file, table->data, size);
        if (!StreamClose(file))
            written = 0;
    }
    ScrambleByPosition(table->data, size);
    return written;
}
