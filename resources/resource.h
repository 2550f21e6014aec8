// Resource ids of the program, shared by the resource script and the code.
#ifndef VESK_RESOURCES_RESOURCE_H
#define VESK_RESOURCES_RESOURCE_H

#define IDI_VESK 131     /* program icon: main window and its tray icon */
#define IDI_VESK_WARNING 132 /* shutdown warning icon */
#define IDD_NOTICE 133   /* sliding shutdown notice */

/* The notice dialog's size in dialog units and its one push button. */
#define IDD_NOTICE_WIDTH 102
#define IDD_NOTICE_HEIGHT 49
#define IDC_NOTICE_BUTTON 1

#endif
