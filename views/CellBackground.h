#pragma once

class QWidget;

// The two backgrounds of value cells, shared by the decode table and the floors window: the
// application palette's button colour, or red (#FF0000) for a value that breaks the format or a byte
// that is missing. The widget paints it itself (autoFillBackground), so no style sheet is involved.
void SetCellBackground(QWidget* cell, bool red);
