#pragma once

// The program's application style: the desktop's own style, unchanged, except that the pictures of the menu
// bar's extension button are read on first use.
//
// Every QMenuBar makes that button (shown only when the menus do not fit, which never happens in the
// program's fixed windows) and reads its picture, a PNG file, at once; reading a PNG by name makes Qt load
// every image-format plugin to ask whether it reads the file first (four plugins and libjpeg, about 4 ms and
// 0.3 MB before the main window is on the screen).

// Sets the style; call it right after creating the QApplication, before any widget.
void useApplicationStyle();
