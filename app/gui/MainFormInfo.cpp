// The File menu's commands on the archive as a whole: properties, comments, printing, mail.
#include <QAction>
#include <QFileInfo>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveInfo.h"
#include "app/core/EntryTotals.h"
#include "app/gui/CommentsWindow.h"
#include "app/gui/EntryModel.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/PrintList.h"
#include "app/gui/PropertiesDialog.h"

namespace vk::gui {
namespace {

// The archive's totals over all its files, whatever folder the explorer style shows.
app::TTotals ArchiveTotals(app::TArchiveListing& listing) {
  std::vector<app::TShellItem*> files;
  files.reserve(listing.Files().size());
  for (app::TShellItem& item : listing.Files()) files.push_back(&item);
  return app::ListingTotals(files, listing.TotalPacked(), listing.TotalUnpacked());
}

}  // namespace

void TMainForm::ConnectInfoActions() {
  connect(Action("acComments"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty() || !app::HasArchiveComment(listing_.ArcType())) return;
    errorLog_.ComponentActivated();
    TfrmComments comments(archive_, false, *prompts_, ErrorHandler(), this);
    comments.exec();
    if (comments.Saved()) ArchiveChanged(std::nullopt);
  });
  connect(Action("acProperties"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty()) return;
    const app::TTotals totals = ArchiveTotals(listing_);
    TFormProperties properties(this);
    properties.ShowArchive(archive_, totals.Count, totals.Ratio);
    properties.exec();
  });
  connect(Action("acFileProps"), &QAction::triggered, this, [this] {
    const std::vector<const app::TShellItem*> selected = SelectedItems();
    if (selected.empty()) return;
    TFormProperties properties(this);
    properties.ShowEntry(*selected.front());
    properties.exec();
  });
  connect(Action("acPrint"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty()) return;
    PrintListText(PrintedList(), QFileInfo(archive_).fileName(), this);
  });
  connect(Action("acPrintToFile"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty()) return;
    const QFileInfo archive(archive_);
    const QString file = SaveListText(
        PrintedList(), archive.absolutePath() + u'/' + archive.completeBaseName() + ".txt", this);
    if (file.isEmpty()) return;
    QString error;
    if (!Launch({file, {}, {}, false}, error)) MessageBox(error, mtError, {mbOK}, 0, this);
  });
  connect(Action("acMail"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty() || !QFileInfo(archive_).isFile()) return;
    app::MailFile(archive_, this, [this](const QString& error) {
      if (!error.isEmpty()) MessageBox(error, mtError, {mbOK}, 0, this);
    });
  });
}

void TMainForm::ShowCommentsOnOpen() {
  if (!app::AppSettings().ShowComments || !app::ListedComment(listing_.Quell)) return;
  TfrmComments comments(archive_, true, *prompts_, ErrorHandler(), this);
  comments.exec();
}

QString TMainForm::PrintedList() {
  const app::TTotals totals = ArchiveTotals(listing_);
  app::TListHeading heading{QFileInfo(archive_).fileName(), totals.Packed, totals.Unpacked,
                            totals.Count, std::nullopt};
  heading.Comment = app::ListedComment(listing_.Quell);
  // The rows as the list shows them, in its order.
  return app::ListText(heading, model_->Rows(), QLocale());
}

}  // namespace vk::gui
