#pragma once

// The program's windows are designed for an 8-point face; on the desktop they
// show the face of the system's message font instead. The program calls this
// once at start, when its windows exist: every window existing then whose
// font is exactly 8 points (also when it is given in pixels) takes that face;
// size, style and colour stay. Windows made later keep their own font.
void adoptDesktopFace();
