/* The resource ids of tavrel.exe (100-499; the main window's menu and accelerators use 1000 on). */
#ifndef TAVREL_RESOURCE_H
#define TAVREL_RESOURCE_H

/* The application icon: 16, 32 and 48 pixels. */
#define IDI_TAVREL 100
/* Button pictures, 16 x 16 icons with transparency: " &Start" and "Inform&ation". */
#define IDI_START 110
#define IDI_INFO 111
/* The mark images of imlSmaa: a strip of five 16 x 16 pictures (0 check on grey, 1 empty box,
   2 green check, 3 small box, 4 green square); SMAA_MASK_COLOR is transparent. */
#define IDB_SMAA 120
#define SMAA_IMAGE_SIZE 16
#define SMAA_MASK_COLOR_R 255
#define SMAA_MASK_COLOR_G 0
#define SMAA_MASK_COLOR_B 255

#endif
