// The archive's file list on paper or in a text file: the text comes ready made
// (app::ListText); here it is painted page by page in a fixed-width font, or saved.
#pragma once

#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace vk::gui {

// Paints `text` on `device` in "Courier New" (or the desktop's fixed-width font standing in
// for it), as many lines a page as fit, small enough for the list's ruled width to fit the
// page. Answers the number of pages.
int PaintListText(QPagedPaintDevice& device, const QString& text);

// Asks for a printer and prints `text` there; with no printer installed, asks for a PDF
// file and prints into it instead. False when cancelled or nothing could be printed.
bool PrintListText(const QString& text, const QString& documentName, QWidget* parent);

// Asks for a text file (".txt" added to a name without extension) and writes `text` into it
// as UTF-8. The file's name; empty when cancelled or not written (said in a box then).
QString SaveListText(const QString& text, const QString& proposed, QWidget* parent);

}  // namespace vk::gui
