#ifndef KORVELRESOURCES_H
#define KORVELRESOURCES_H

// The icons, cursors and texts are compiled into the static library; a static
// library's resources must be registered explicitly before first use.
void initKorvelResources();

// Scales the window with the screen and loads the @2x icons and cursors on
// screens scaled above 100 %. Qt reads this only while the application
// object is built, so it must be called before.
void enableHighDpiScaling();

#endif // KORVELRESOURCES_H
