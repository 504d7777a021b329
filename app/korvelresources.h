#ifndef KORVELRESOURCES_H
#define KORVELRESOURCES_H

// The icons, cursors and texts are compiled into the static library; a static
// library's resources must be registered explicitly before first use.
void initKorvelResources();

#endif // KORVELRESOURCES_H
