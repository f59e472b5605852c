// The product's fixed names: every file that names the product, its programs,
// its uninstall key, its Start-menu link or the files it keeps in the target
// folder takes them from here. The uninstaller and the tools read the same
// names, so a change here is a change of what is on users' disks.
#ifndef KOVRA_PRODUCT_NAMES_H
#define KOVRA_PRODUCT_NAMES_H

// Macros rather than arrays, so that texts built from them ("Entferne "
// PRODUCT_NAME) are single literals.
#define PRODUCT_NAME        "Kovra Rendo Cup"
#define PRODUCT_KEY_NAME    "ZKKovraRendoCup_V1"
#define GAME_PROGRAM        "kovra.exe"
#define UNINSTALL_PROGRAM   "uninst.exe"
#define UNINSTALL_LINK_NAME "Entferne " PRODUCT_NAME
#define LOG_FILE_NAME       "deinst.log"
#define STAGED_FILE_NAME    "temp.un_"
#define ARCHIVE_FILE_NAME   "temp.uni"
// A file that was in a game file's place waits under this name, in its own
// folder, until the undo gives its name back: eight and three characters,
// which every file system keeps as they are.
#define KEPT_NAME_FORMAT    "~KV%05u.ALT"
#define KEPT_NAME_LENGTH    12

#endif
