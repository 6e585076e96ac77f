#include "app/gui/PrintList.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "app/gui/MessageBox.h"

namespace vk::gui {
namespace {

constexpr qreal kPointSize = 10;
// The width of the list's rules, which the widest regular line does not pass.
constexpr int kRuleWidth = 116;

// A save dialog for `filter`, the name given the suffix when it has none.
QString AskFile(QWidget* parent, const QString& title, const QString& proposed,
                const QString& filter, const QString& suffix) {
  QFileDialog ask(parent, title, proposed, filter);
  ask.setObjectName("dlgPrintFile");
  ask.setAcceptMode(QFileDialog::AcceptSave);
  ask.setDefaultSuffix(suffix);
  if (ask.exec() != QDialog::Accepted || ask.selectedFiles().isEmpty()) return {};
  QString file = ask.selectedFiles().first();
  // The desktop's own dialog may not add it.
  if (QFileInfo(file).suffix().isEmpty()) file += u'.' + suffix;
  return file;
}

}  // namespace

int PaintListText(QPagedPaintDevice& device, const QString& text) {
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  // Asked for by name as the list was always printed; the hint lets the font configuration
  // give a fixed-width font where that one is not installed.
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(kPointSize);
  const qreal width = device.width();
  const qreal ruled = QFontMetricsF(font, &device).horizontalAdvance(QString(kRuleWidth, u'='));
  if (ruled > width) font.setPointSizeF(std::floor(kPointSize * width / ruled * 10) / 10);
  painter.setFont(font);
  const QFontMetricsF metrics(font, &device);
  const int perPage = std::max(1, int(device.height() / metrics.lineSpacing()));
  int pages = 1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const int onPage = int(i % perPage);
    if (i > 0 && onPage == 0) {
      device.newPage();
      ++pages;
    }
    painter.drawText(QPointF(0, onPage * metrics.lineSpacing() + metrics.ascent()), lines[i]);
  }
  painter.end();
  return pages;
}

bool PrintListText(const QString& text, const QString& documentName, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(documentName);
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    // Without a printer the list goes into a PDF file, which prints anywhere later.
    const QString file = AskFile(parent, QObject::tr("Print to PDF"), documentName + ".pdf",
                                 QObject::tr("PDF Files (*.pdf);;All Files (*)"), "pdf");
    if (file.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
  } else {
    QPrintDialog ask(&printer, parent);
    if (ask.exec() != QDialog::Accepted) return false;
  }
  if (PaintListText(printer, text) > 0) return true;
  MessageBox(QObject::tr("The list could not be printed."), mtError, {mbOK}, 0, parent);
  return false;
}

QString SaveListText(const QString& text, const QString& proposed, QWidget* parent) {
  const QString file = AskFile(parent, QObject::tr("Print to File"), proposed,
                               QObject::tr("Text Files (*.txt);;All Files (*)"), "txt");
  if (file.isEmpty()) return {};
  QSaveFile out(file);
  if (out.open(QIODevice::WriteOnly) && out.write(text.toUtf8()) >= 0 && out.commit()) return file;
  MessageBox(QObject::tr("The list could not be written to %1: %2").arg(file, out.errorString()),
             mtError, {mbOK}, 0, parent);
  return {};
}

}  // namespace vk::gui
