// One setup or uninstaller of the product at a time, on the whole machine:
// two runs on one target folder would each undo the other's files. The lock
// is a named mutex; it is held for as long as its handle is open, which is
// until the holding process ends.
#ifndef KOVRA_PRODUCT_LOCK_H
#define KOVRA_PRODUCT_LOCK_H

// Takes the lock for this process. 1 when this is the only run of the
// product's programs; 0 when a setup or uninstaller already runs (in any
// session) or the lock cannot be had at all.
int ProductLockTake();

// Holds the lock without asking whether it is held: for the uninstaller's
// copy in the temporary folder, which carries on its starter's removal after
// the starter has ended.
void ProductLockJoin();

// Tells the person who started a program, in a box with caption, that
// another setup or uninstaller holds the lock: any program can hold it, and
// a refusal without a word looks like a program that never started.
void ProductLockTellBusy(const char* caption);

#endif
