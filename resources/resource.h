/*
 * Resource identifiers and the layout of every picture in norvane.rc.
 *
 * Plain #defines only: the resource compiler reads this file as well as C++.
 * The pictures are drawn by resources/draw/draw.py; change them there, not by hand.
 *
 * Three kinds of picture
 * ----------------------
 *  ALPHA   32 bits per pixel, BI_RGB, bottom-up DIB, PREMULTIPLIED alpha in the fourth byte
 *          (fully transparent pixels are 0,0,0,0). Load with
 *              LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)
 *          so the alpha byte is kept (LoadBitmap makes a device-dependent bitmap and may lose it),
 *          and draw with AlphaBlend and BLENDFUNCTION { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA }.
 *          Never pass LR_LOADTRANSPARENT or LR_LOADMAP3DCOLORS: they rewrite pixel values.
 *  OPAQUE  24 bits per pixel, no transparency; BitBlt / StretchBlt as they are.
 *  KEYED   24 bits per pixel; every pixel of exactly RGB(255, 0, 255) is transparent
 *          (TransparentBlt with NQ_KEY_COLORREF). No other pixel is blended with the key, so
 *          there is no pink fringe to hide.
 *
 * Strips hold several pictures or states of one size side by side, left to right, without gaps:
 * picture i is the cell at x = i * cell width, y = 0.
 *
 * Every picture below also exists drawn at 150 % (id + 1000) and at 200 % (id + 2000). Each size
 * there, a strip's cell size included, is the 100 % size given here times the scale, rounded to
 * the nearest pixel with halves up (a 19-pixel cell is 29 at 150 %).
 */
#ifndef NQ_RESOURCES_RESOURCE_H
#define NQ_RESOURCES_RESOURCE_H

/* Transparent key colour of the KEYED pictures, as a COLORREF (0x00BBGGRR); magenta reads the
   same in either byte order. */
#define NQ_KEY_COLORREF 0x00FF00FFu

/* ---- Application icon: 16x16, 32x32 and 48x48, 32-bit with alpha (a shield carrying a globe). */
#define IDI_APP 1

/* ---- Navigation bar icons: ALPHA strip, 9 cells of 32x32 (288x32 in all).
   Drawn for the blue bar RGB(0, 130, 198); each has a dark outline, so it also reads on the
   hot-item colour RGB(248, 196, 39). Cell order is the image-list order of the navigation items. */
#define IDB_NAVICONS 101
#define NAVICON_SIZE 32
#define NAVICON_COUNT 9
#define NAVICON_IE_REPAIR 0         /* globe with a wrench */
#define NAVICON_STARTUP 1           /* green power button */
#define NAVICON_CONTEXT_MENU 2      /* pointer over a small menu */
#define NAVICON_TOOLBAR_WALLPAPER 3 /* framed landscape */
#define NAVICON_PROTECT_PRIVACY 4   /* eraser on a sheet */
#define NAVICON_MANAGE_ADDRESS 5    /* address field with its drop-down list */
#define NAVICON_MANAGE_COOKIES 6    /* cookie */
#define NAVICON_TOOLBAR_BUTTON 7    /* tool bar with an added button */
#define NAVICON_BROWSERS 8          /* browser window under a shield with a tick */

/* ---- Skinned title bar, 29 pixels high.
   Left end, stretched middle and right end are OPAQUE and TITLE_BAR_H high. Draw the left end at
   x 0, the right end flush with the right edge, and stretch the middle over the gap between them;
   every column of the middle is the same, so any stretch mode gives the same result.
   The middle is a blue gloss whose lower two thirds are dark enough for the white bold caption.
   The left end carries a 16x16 emblem at (8, 6); start the caption at TITLE_CAPTION_X and centre
   it vertically in the bar. */
#define IDB_TITLE_LEFT 110
#define IDB_TITLE_MID 111
#define IDB_TITLE_RIGHT 112
#define TITLE_BAR_H 29
#define TITLE_LEFT_W 30
#define TITLE_MID_W 8
#define TITLE_RIGHT_W 6
#define TITLE_CAPTION_X 32

/* Close and minimise buttons: ALPHA strips of TITLE_BUTTON_STATES cells, each
   TITLE_BUTTON_W x TITLE_BUTTON_H (57x19 in all), white glyph on a rounded face.
   Cell order: normal, hot (mouse over), pressed. Place them at y TITLE_BUTTON_Y; the close
   button's right edge TITLE_BUTTON_RIGHT pixels from the bar's right edge, the minimise button
   TITLE_BUTTON_GAP pixels left of the close button. */
#define IDB_TITLE_CLOSE 113
#define IDB_TITLE_MIN 114
#define TITLE_BUTTON_W 19
#define TITLE_BUTTON_H 19
#define TITLE_BUTTON_STATES 3
#define TITLE_BUTTON_NORMAL 0
#define TITLE_BUTTON_HOT 1
#define TITLE_BUTTON_PRESSED 2
#define TITLE_BUTTON_Y 5
#define TITLE_BUTTON_RIGHT 9
#define TITLE_BUTTON_GAP 2

/* ---- "About..." button glyph: ALPHA, 16x16, a white "i" in a blue circle; it sits left of the
   caption on the button face RGB(253, 237, 172). */
#define IDB_ABOUT_GLYPH 120
#define ABOUT_GLYPH_W 16
#define ABOUT_GLYPH_H 16

/* ---- Bottom panel bullet: ALPHA, 12x12, a green ball with a cream highlight; drawn twice. */
#define IDB_BULLET 121
#define BULLET_W 12
#define BULLET_H 12

/* ---- Toolbar preview of the wallpaper page: KEYED, 370x93. A browser's menu bar (rows 0-15),
   button bar (rows 18-51) and address bar (rows 54-70) on magenta; the address field itself is
   opaque white. Everything that matters lies in columns 0-305 and rows 0-70, the part a
   306x73 tool bar shows when the picture sits 2 pixels down; rows 71-92 are all key colour. */
#define IDB_TOOLBAR_PREVIEW 130
#define TOOLBAR_PREVIEW_W 370
#define TOOLBAR_PREVIEW_H 93

/* The 150 % and 200 % pictures, as the resource compiler needs their ids spelled out. */
#define IDB_NAVICONS_150 1101
#define IDB_TITLE_LEFT_150 1110
#define IDB_TITLE_MID_150 1111
#define IDB_TITLE_RIGHT_150 1112
#define IDB_TITLE_CLOSE_150 1113
#define IDB_TITLE_MIN_150 1114
#define IDB_ABOUT_GLYPH_150 1120
#define IDB_BULLET_150 1121
#define IDB_TOOLBAR_PREVIEW_150 1130
#define IDB_NAVICONS_200 2101
#define IDB_TITLE_LEFT_200 2110
#define IDB_TITLE_MID_200 2111
#define IDB_TITLE_RIGHT_200 2112
#define IDB_TITLE_CLOSE_200 2113
#define IDB_TITLE_MIN_200 2114
#define IDB_ABOUT_GLYPH_200 2120
#define IDB_BULLET_200 2121
#define IDB_TOOLBAR_PREVIEW_200 2130

#endif /* NQ_RESOURCES_RESOURCE_H */
