/* Numbers of the user-interface texts, dialog layouts and controls that setup.exe finds in its
   language libraries (setupenglish.dll and its siblings) and in its own resources.
   Plain #defines only: this header is read by the C++ code and by windres alike. */
#ifndef NORBA_RES_IDS_H
#define NORBA_RES_IDS_H

/* ---------------------------------------------------------------------------------------------
   Texts: message boxes and window titles
   --------------------------------------------------------------------------------------------- */
#define IDS_SETUP_TITLE                 2900  /* title of setup's boxes and wizard ("Norba" -> AppName) */
#define IDS_REMOVE_BOX_TITLE            2901  /* title of removal and migration questions ("Norba" -> AppName) */
#define IDS_REMOVE_WIZARD_TITLE         2997  /* caption of the removal wizard */
#define IDS_DEFAULT_BOX_TITLE           10001 /* title of a message box that was given none */
#define IDS_FINISH_BUTTON               3000  /* caption of the closing button on the last step */

/* ---------------------------------------------------------------------------------------------
   Texts: header title and subtitle of the installation steps
   --------------------------------------------------------------------------------------------- */
#define IDS_FOLDER_TITLE                2902  /* also the caption of the folder browser */
#define IDS_FOLDER_SUBTITLE             2903
#define IDS_AGREEMENT_TITLE             2904
#define IDS_AGREEMENT_SUBTITLE          2905
#define IDS_COPY_TITLE                  2906
#define IDS_COPY_SUBTITLE               2907
#define IDS_COPY_PREPARING              2908  /* spare copy status text */
#define IDS_COPY_STATUS                 2909  /* status line while the archives are extracted */
#define IDS_COPY_REGISTERING            2910  /* spare copy status text */
#define IDS_COPY_COMPLETE               2911  /* status line when the copy is done */
#define IDS_WELCOME_TITLE               2912  /* the product title is appended directly */
#define IDS_WELCOME_SUBTITLE            2913
#define IDS_ADVERTISE_TITLE             2914  /* "$PROG" -> AppName */
#define IDS_ADVERTISE_SUBTITLE          2915  /* "$PROG" -> Product of the advertisement */
#define IDS_SHORTCUTS_TITLE             2916
#define IDS_SHORTCUTS_SUBTITLE          2917
#define IDS_FINISH_TITLE                2918
#define IDS_FINISH_SUBTITLE             2919  /* "$PROG" -> AppName */

/* Steps that the product hooks insert */
#define IDS_DATAFOLDER_TITLE            2920
#define IDS_DATAFOLDER_SUBTITLE         2921
#define IDS_USAGE_TITLE                 2922
#define IDS_USAGE_SUBTITLE              2923

/* Steps of the removal wizard */
#define IDS_REMOVE_CONFIRM_TITLE        2934
#define IDS_REMOVE_CONFIRM_SUBTITLE     2935
#define IDS_REMOVE_PROGRESS_TITLE       2936
#define IDS_REMOVE_PROGRESS_SUBTITLE    2937
#define IDS_REMOVE_DONE_TITLE           2938  /* header title once the removal is complete */
#define IDS_REMOVE_DONE_TEXT            2939  /* page text once the removal is complete */

/* ---------------------------------------------------------------------------------------------
   Texts: questions and messages
   --------------------------------------------------------------------------------------------- */
#define IDS_LANGUAGE_SUFFIX             2980  /* suffix of language-specific configuration keys */
#define IDS_FOLDER_NOT_WRITABLE         2981  /* "$DIR" */
#define IDS_AGREEMENT_LANGUAGE          2984  /* decimal agreement language code, 499 German */
#define IDS_CONFIG_MISSING              2985  /* setup.cfg cannot be read */
#define IDS_PREREQUISITE_MISSING        2986
#define IDS_CANCEL_QUESTION             2987
#define IDS_EXTRACT_RETRY               2988  /* "$FILE", "$PROGRAM" */
#define IDS_REMOVE_QUESTION             2989  /* "$PROGRAM" */
#define IDS_EXTRACT_IMPOSSIBLE          2990  /* "$FILE", "$PROGRAM": an archive entry no retry can mend */
#define IDS_OVERWRITE_QUESTION          2992  /* printf format with exactly one %s */
#define IDS_OVERWRITE_TITLE             2993
#define IDS_CLOSING_MESSAGE             2994  /* "$PROGRAM" */
#define IDS_UNINSTALL_LINK_NAME         2998  /* "$PROGRAM"; becomes a file name */
#define IDS_COMPLETE_REMOVAL_WARNING_1  3008  /* first half, "$PROGRAM" */
#define IDS_COMPLETE_REMOVAL_WARNING_2  3009  /* second half, "$DIR" */

/* Data folder of the product hooks */
#define IDS_MIGRATION_QUESTION          2951  /* "$(VXX)" and one %s (the earlier data folder) */
#define IDS_DATAFOLDER_DELETE_1         3010  /* first half, "$PROGRAM" */
#define IDS_DATAFOLDER_DELETE_2         3011  /* second half, "$DIR" */
#define IDS_WELCOME_MIGRATION_NOTE      3015  /* "$(VXX)", "$(VNEW)" */
#define IDS_FOLDER_MIGRATION_NOTE       3016  /* "$(VXX)", "$(VNEW)" */

/* Usage type page: item and description of usage type n are IDS_USAGE_TYPE_0 + n and
   IDS_USAGE_DESCRIPTION_0 + n */
#define IDS_USAGE_TYPE_0                2952
#define IDS_USAGE_TYPE_1                2953
#define IDS_USAGE_TYPE_2                2954
#define IDS_USAGE_TYPE_3                2955
#define IDS_USAGE_TYPE_4                2956
#define IDS_USAGE_LIST_LABEL            2957
#define IDS_USAGE_TERMINAL_LABEL        2958
#define IDS_USAGE_DESCRIPTION_0         2959
#define IDS_USAGE_DESCRIPTION_1         2960
#define IDS_USAGE_DESCRIPTION_2         2961
#define IDS_USAGE_DESCRIPTION_3         2962
#define IDS_USAGE_DESCRIPTION_4         2963
#define IDS_USAGE_TERMINALS             2971  /* "|"-separated terminal programs */
#define USAGE_TYPE_COUNT                5

/* Admin commands */
#define IDS_ADMIN_PRINTER_ADDED         3300
#define IDS_ADMIN_PRINTER_REMOVED       3301
#define IDS_ADMIN_REGISTRY_FAILED       3302
#define IDS_ADMIN_REGISTRY_WRITTEN      3303  /* "$PROGRAM" */

/* ---------------------------------------------------------------------------------------------
   Dialog layouts of the language library
   --------------------------------------------------------------------------------------------- */
#define IDD_WIZARD_FRAME                2000
#define IDD_WELCOME_PAGE                2001
#define IDD_FOLDER_PAGE                 2002
#define IDD_AGREEMENT_PAGE              2003
#define IDD_COPY_PAGE                   2004
#define IDD_SHORTCUTS_PAGE              2005
#define IDD_ADVERTISE_PAGE              2006
#define IDD_FINISH_PAGE                 2009
#define IDD_DATAFOLDER_PAGE             2010
#define IDD_USAGE_PAGE_GEN6             2011  /* usage type page of product generation 6 */
#define IDD_REMOVE_CONFIRM_PAGE         2014
#define IDD_REMOVE_PROGRESS_PAGE        2015
#define IDD_USAGE_PAGE                  2017

/* ---------------------------------------------------------------------------------------------
   Controls of the wizard frame (layout 2000) and its buttons
   --------------------------------------------------------------------------------------------- */
#define IDC_LABEL                       (-1)  /* labels and frames that the code never addresses */
#define IDC_WIZARD_DEFAULT              1     /* Enter key: the frame turns it into Next */
#define IDC_WIZARD_CANCEL               2     /* Cancel; the closing button on the last step */
#define IDC_WIZARD_BACK                 148
#define IDC_WIZARD_NEXT                 149
#define IDC_FRAME_HEADER_LINE           100   /* separator line below the header (made by code) */
#define IDC_FRAME_BUTTON_LINE           101   /* separator line above the buttons (made by code) */
#define IDC_FRAME_TITLE                 666
#define IDC_FRAME_SUBTITLE              667
#define IDC_FRAME_HIDDEN                901   /* element hidden at start */
#define IDC_FRAME_PAGE_AREA             914   /* placeholder of the page rectangle */
#define IDC_FRAME_HEADER_BAND           915   /* white band; its bottom is the header's lower border */
#define IDC_FRAME_ICON                  916

/* Welcome page (2001) */
#define IDC_WELCOME_NEW                 401   /* installation type 0 */
#define IDC_WELCOME_SAME                402   /* installation type 1 */
#define IDC_WELCOME_UPDATE              403   /* installation type 2 */
#define IDC_WELCOME_NOTE                202   /* migration note of the product hooks */

/* Installation folder page (2002) */
#define IDC_FOLDER_EDIT                 201
#define IDC_FOLDER_BROWSE               101
#define IDC_FOLDER_NOTE                 202   /* migration note of the product hooks */

/* Agreement page (2003) */
#define IDC_AGREEMENT_TEXT              201
#define IDC_AGREEMENT_PRINT             101
#define IDC_AGREEMENT_ACCEPT            301

/* Copy page (2004) */
#define IDC_COPY_STATUS                 201
#define IDC_COPY_PROGRESS               901   /* placeholder, replaced by the progress bar */

/* Shortcuts page (2005) */
#define IDC_SHORTCUTS_USER_GROUP        401
#define IDC_SHORTCUTS_COMMON_GROUP      402
#define IDC_SHORTCUTS_NO_GROUP          403
#define IDC_SHORTCUTS_DESKTOP           301

/* Advertise page (2006) */
#define IDC_ADVERTISE_HEADLINE          650
#define IDC_ADVERTISE_HEADLINE2         651
#define IDC_ADVERTISE_DESCRIPTION       201
#define IDC_ADVERTISE_URL               101

/* Finish page (2009) */
#define IDC_FINISH_TEXT                 651
#define IDC_FINISH_PICTURE              2070

/* Data folder page (2010): options 401 to 405 store the data folder types 1 to 5 */
#define IDC_DATAFOLDER_PROFILE          401
#define IDC_DATAFOLDER_PROGRAM          402
#define IDC_DATAFOLDER_ALLUSERS         403
#define IDC_DATAFOLDER_CUSTOM           404
#define IDC_DATAFOLDER_APPDATA          405
#define IDC_DATAFOLDER_EDIT             201
#define IDC_DATAFOLDER_BROWSE           101

/* Usage type pages (2011, 2017) */
#define IDC_USAGE_LIST                  502
#define IDC_USAGE_TERMINAL              503
#define IDC_USAGE_DESCRIPTION           651

/* Removal confirmation page (2014) */
#define IDC_REMOVE_PROGRAM              401   /* removal mode 0 */
#define IDC_REMOVE_COMPLETE             402   /* removal mode 1 */

/* Removal progress page (2015) */
#define IDC_REMOVE_STATUS               201
#define IDC_REMOVE_DONE                 202   /* hidden until the removal is complete */
#define IDC_REMOVE_PROGRESS             901   /* placeholder, replaced by the progress bar */

/* ---------------------------------------------------------------------------------------------
   Resources of setup.exe itself
   --------------------------------------------------------------------------------------------- */
#define IDB_FINISH_PICTURE              2070  /* bitmap of the finish page */

/* Icon groups; IdIcon in setup.cfg names one for the wizard's header (frame control 916) */
#define IDI_KIV                         1     /* the product: a terminal window with Kiv's prompt */
#define IDI_REMOVE                      2     /* the terminal with a removal cross: icon index 1 of setup.exe,
                                                 the one of the uninstall link */
#define IDI_SETUP                       3     /* the terminal with an installation arrow */
#define IDI_DOCUMENT                    100   /* a session document */
#define IDI_PROTOCOL                    126   /* the terminal with a globe: addresses the product opens */
#define IDI_KIV_BLUE                    250   /* the product icon with a blue prompt */
#define IDI_KIV_AMBER                   251   /* the product icon with an amber prompt */
#define IDI_CONNECTION                  260   /* the terminal with a two-way arrow: host connections */
#define IDI_PRINTER                     290   /* a printer: printed agreements and printer set-up */
#define IDI_FOLDER                      500   /* a folder with the prompt: installation and data folders */
#define IDI_SETTINGS                    550   /* the terminal with a gear: configuration */
#define IDI_UPDATE                      551   /* the terminal with an upward arrow: updates */

#endif /* NORBA_RES_IDS_H */
