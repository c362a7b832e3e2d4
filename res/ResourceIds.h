// Resource ids of Velkin.dll: the string table (language 1041), the picker's
// dialog template and the toolbar bitmaps. Shared by the resource script and
// the code, so an id is written once.
#pragma once

// Plug-in texts.
#define IDS_MENU_TEXT 1            // menu text of the command
#define IDS_STATUS_TEXT 2          // status-bar text, a line feed, then the tool tip
#define IDS_UNINSTALL_CONFIRM 3    // uninstall question
#define IDS_PLUGIN_NAME 4
#define IDS_PLUGIN_VERSION 5
#define IDS_COLUMN_SYMBOL 6        // picker column 0

// Kind words, one per kind code byte (id = code byte + 256).
#define IDS_KIND_FIRST 500         // 0xF4
#define IDS_KIND_LAST 510          // 0xFE

// Kind description prefixes, "%s" = the rest of the extension fields.
#define IDS_KIND_CLASS_MEMBER 511
#define IDS_KIND_STRUCT_MEMBER 512
#define IDS_KIND_INHERITS 513
#define IDS_KIND_ACCESS 514

// Jump texts (517 and 518 are kept in the table but not used).
#define IDS_CANNOT_OPEN_NAMED 515      // full path: the body of the failure box
#define IDS_CANNOT_OPEN_FILE 516       // the caption of the failure box
#define IDS_CANNOT_OPEN_NAMED_2 517
#define IDS_CANNOT_OPEN_FILE_2 518
#define IDS_JUMPING_TO 519         // full path, address

// Picker columns 1 to 3.
#define IDS_COLUMN_KIND 521
#define IDS_COLUMN_FILE 522
#define IDS_COLUMN_POSITION 523

// Status-bar messages of the command.
#define IDS_TAGS_FILE_NOT_FOUND 526    // tags file name
#define IDS_SEARCHING_WORD 527         // word, tags file path
#define IDS_WORD_NOT_FOUND 529         // word, tags file path
#define IDS_CANNOT_OPEN_TAGS 530       // tags file path
#define IDS_FOUND_EXACT 531            // word
#define IDS_FOUND_PREFIX 532           // word
#define IDS_SHOWING_DOCUMENT_TAGS 533  // document path
#define IDS_SEARCHING_DOCUMENT 534     // document path, tags file path
// The same where several tags files are read: the first one and how many more.
#define IDS_SEARCHING_WORD_MORE 535      // word, first tags file path, count of the others
#define IDS_SEARCHING_DOCUMENT_MORE 536  // document path, first tags file path, count of the others
#define IDS_WORD_NOT_FOUND_MORE 537      // word, first tags file path, count of the others

// The picker's column naming each row's tags file, shown when the rows come
// from more than one.
#define IDS_COLUMN_TAGS_FILE 538

// The picker.
#define IDD_TAG_PICKER 103
#define IDC_TAG_LIST 1001

// Toolbar bitmaps, 8 bits per pixel.
#define IDB_TOOLBAR_SMALL 101      // 16 x 16
#define IDB_TOOLBAR_LARGE 102      // 24 x 24
