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
// An owner other than a class or a struct: its kind in words, its name.
#define IDS_KIND_OWNER 539

// Words for the kinds that 500-510 do not name, as ctags names them in the
// languages it tags (several names may share one word).
#define IDS_KIND_ENUM 600
#define IDS_KIND_METHOD 601
#define IDS_KIND_FIELD 602
#define IDS_KIND_PROPERTY 603
#define IDS_KIND_CONSTANT 604
#define IDS_KIND_INTERFACE 605
#define IDS_KIND_MODULE 606
#define IDS_KIND_PACKAGE 607
#define IDS_KIND_IMPLEMENTATION 608
#define IDS_KIND_TRAIT 609
#define IDS_KIND_TYPE_ALIAS 610
#define IDS_KIND_CHAPTER 611
#define IDS_KIND_SECTION 612
#define IDS_KIND_SUBSECTION 613
#define IDS_KIND_SUBSUBSECTION 614
#define IDS_KIND_HEADING5 615
#define IDS_KIND_HEADING6 616
#define IDS_KIND_HEADING1 617
#define IDS_KIND_HEADING2 618
#define IDS_KIND_HEADING3 619
#define IDS_KIND_PROTOTYPE 620
#define IDS_KIND_EXTERN_VARIABLE 621
#define IDS_KIND_LOCAL 622
#define IDS_KIND_PARAMETER 623
#define IDS_KIND_LABEL 624
#define IDS_KIND_MACRO_PARAMETER 625
#define IDS_KIND_HEADER 626
#define IDS_KIND_ALIAS 627
#define IDS_KIND_USING_DECLARATION 628
#define IDS_KIND_USING_DIRECTIVE 629
#define IDS_KIND_TEMPLATE_PARAMETER 630
#define IDS_KIND_EVENT 631
#define IDS_KIND_ANNOTATION 632
#define IDS_KIND_GETTER 633
#define IDS_KIND_SETTER 634
#define IDS_KIND_GENERATOR 635
#define IDS_KIND_ACCESSOR 636
#define IDS_KIND_LIBRARY 637
#define IDS_KIND_SINGLETON_METHOD 638
#define IDS_KIND_EMBEDDED_FIELD 639
#define IDS_KIND_PACKAGE_ALIAS 640
#define IDS_KIND_RECEIVER 641
#define IDS_KIND_METHOD_DECLARATION 642
#define IDS_KIND_TYPE 643
#define IDS_KIND_SUBROUTINE 644
#define IDS_KIND_SUBROUTINE_DECLARATION 645
#define IDS_KIND_FORMAT 646
#define IDS_KIND_HEREDOC 647
#define IDS_KIND_SCRIPT 648
#define IDS_KIND_DOMAIN 649
#define IDS_KIND_SERVICE 650
#define IDS_KIND_TRIGGER 651
#define IDS_KIND_VIEW 652
#define IDS_KIND_CURSOR 653
#define IDS_KIND_INDEX 654
#define IDS_KIND_SYNONYM 655
#define IDS_KIND_PROCEDURE 656
#define IDS_KIND_RECORD 657
#define IDS_KIND_SUBTYPE 658
#define IDS_KIND_TABLE 659
#define IDS_KIND_MAKEFILE 660
#define IDS_KIND_TARGET 661
#define IDS_KIND_SELECTOR 662
#define IDS_KIND_ID 663
#define IDS_KIND_STYLESHEET 664
#define IDS_KIND_ANCHOR 665
#define IDS_KIND_OBJECT 666
#define IDS_KIND_CATEGORY 667
#define IDS_KIND_PROTOCOL 668
#define IDS_KIND_AUGROUP 669
#define IDS_KIND_COMMAND 670
#define IDS_KIND_KEY_MAP 671
#define IDS_KIND_FILE_NAME 672
#define IDS_KIND_CUSTOM_VARIABLE 673
#define IDS_KIND_DERIVED_MODE 674
#define IDS_KIND_CUSTOM_GROUP 675
#define IDS_KIND_FACE 676
#define IDS_KIND_MINOR_MODE 677
#define IDS_KIND_THEME 678
#define IDS_KIND_VARIABLE_ALIAS 679
#define IDS_KIND_ERROR 680
#define IDS_KIND_INLINE_FUNCTION 681
#define IDS_KIND_SUBST_FUNCTION 682
#define IDS_KIND_CLASS_SELECTOR 683
#define IDS_KIND_ID_SELECTOR 684
#define IDS_KIND_CLASS_METHOD 685
#define IDS_KIND_KEY 686
#define IDS_KIND_NAMED_SECTION 687
#define IDS_KIND_ACCELERATORS 688
#define IDS_KIND_BITMAP 689
#define IDS_KIND_DIALOG 690
#define IDS_KIND_FONT 691
#define IDS_KIND_ICON 692
#define IDS_KIND_MENU 693
#define IDS_KIND_VERSION_INFO 694
#define IDS_KIND_NAMESPACE_PREFIX 695
#define IDS_KIND_ROOT_ELEMENT 696
#define IDS_KIND_OPTION 697
#define IDS_KIND_PROJECT 698
#define IDS_KIND_ARRAY 699
#define IDS_KIND_BOOLEAN 700
#define IDS_KIND_NUMBER 701
#define IDS_KIND_STRING 702
#define IDS_KIND_CITATION 703
#define IDS_KIND_LINK_TARGET 704
#define IDS_KIND_SUBSTITUTION 705
#define IDS_KIND_TITLE 706
#define IDS_KIND_GLOBAL_VARIABLE 707
#define IDS_KIND_REGION 708
#define IDS_KIND_COMPONENT 709
#define IDS_KIND_PROCESS 710
#define IDS_KIND_ARCHITECTURE 711
#define IDS_KIND_ENTITY 712
#define IDS_KIND_GENERIC 713
#define IDS_KIND_PORT 714
#define IDS_KIND_SIGNAL 715
#define IDS_KIND_BLOCK 716
#define IDS_KIND_INSTANCE 717
#define IDS_KIND_NET 718
#define IDS_KIND_REGISTER 719
#define IDS_KIND_TASK 720
#define IDS_KIND_SUBMODULE 721
#define IDS_KIND_BLOCK_DATA 722
#define IDS_KIND_COMMON_BLOCK 723
#define IDS_KIND_ENTRY 724
#define IDS_KIND_PROGRAM 725
#define IDS_KIND_PACKAGE_SPEC 726
#define IDS_KIND_SUBPROGRAM 727
#define IDS_KIND_SUBPROGRAM_SPEC 728
#define IDS_KIND_TASK_SPEC 729
#define IDS_KIND_PROTECTED 730
#define IDS_KIND_PROTECTED_SPEC 731
#define IDS_KIND_EXCEPTION 732
#define IDS_KIND_SUBUNIT 733
#define IDS_KIND_GENERIC_FORMAL 734
#define IDS_KIND_CONSTRUCTOR 735
#define IDS_KIND_VALUE 736
#define IDS_KIND_CALLBACK 737
#define IDS_KIND_DELEGATE 738
#define IDS_KIND_GUARD 739
#define IDS_KIND_OPERATOR 740
#define IDS_KIND_TEST 741
#define IDS_KIND_BIBLIOGRAPHY_ITEM 742
#define IDS_KIND_COUNTER 743
#define IDS_KIND_PARAGRAPH 744
#define IDS_KIND_SUBPARAGRAPH 745
#define IDS_KIND_INPUT_FILE 746
#define IDS_KIND_PART 747
#define IDS_KIND_MESSAGE 748
#define IDS_KIND_RPC 749
#define IDS_KIND_LIST 750
#define IDS_KIND_VECTOR 751
#define IDS_KIND_DATA_FRAME 752
#define IDS_KIND_NODE 753
#define IDS_KIND_ANONYMOUS_BLOCK 754

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
// A long read of the tags files: how far it has come, and Esc having stopped it.
#define IDS_READING_TAGS 545    // tags file path, share read in percent
#define IDS_SEARCH_STOPPED 546

// The picker's column naming each row's tags file, shown when the rows come
// from more than one.
#define IDS_COLUMN_TAGS_FILE 538

// The picker.
#define IDD_TAG_PICKER 103
#define IDC_TAG_LIST 1001

// Toolbar bitmaps, 8 bits per pixel.
#define IDB_TOOLBAR_SMALL 101      // 16 x 16
#define IDB_TOOLBAR_LARGE 102      // 24 x 24
