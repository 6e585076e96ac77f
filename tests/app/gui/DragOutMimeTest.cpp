// The data of a drag out of the main window: extraction happens once, and only when the
// drop target asks for the file names.
#include <gtest/gtest.h>

#include <QList>
#include <QUrl>
#include <stdexcept>

#include "app/gui/DragOutMime.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

TEST(DragOutMime, ExtractsOnceWhenTheFileNamesAreAsked) {
  enum class Outcome { Succeeds, Fails, Throws, AsksAgainWhileRunning };
  const struct Case {
    Outcome outcome;
    bool bytesFirst;
  } cases[] = {{Outcome::Succeeds, false},
               {Outcome::Succeeds, true},
               {Outcome::Fails, false},
               {Outcome::Throws, true},
               {Outcome::AsksAgainWhileRunning, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.outcome));
    qel::test::TestFolder dir;
    const QString made = QString::fromStdString(dir / "made.txt");
    const QString never = QString::fromStdString(dir / "never.txt");
    int runs = 0;
    QList<QUrl> inner{QUrl("file:///sentinel")};
    TDragOutMime* self = nullptr;
    TDragOutMime mime({made, never}, [&] {
      ++runs;
      qel::test::WriteFileText(made.toStdString(), "x");
      if (c.outcome == Outcome::Throws) throw std::runtime_error("disk full");
      if (c.outcome == Outcome::AsksAgainWhileRunning) inner = self->urls();
      return c.outcome != Outcome::Fails;
    });
    self = &mime;

    // What a drop target looks at before the drop costs no extraction.
    EXPECT_TRUE(mime.hasUrls());
    EXPECT_EQ(runs, 0);

    const bool ok = c.outcome == Outcome::Succeeds || c.outcome == Outcome::AsksAgainWhileRunning;
    const QList<QUrl> urls = ok ? QList<QUrl>{QUrl::fromLocalFile(made)} : QList<QUrl>{};
    const QByteArray bytes = ok ? QUrl::fromLocalFile(made).toEncoded() + "\r\n" : "";
    if (c.bytesFirst) {
      EXPECT_EQ(mime.data("text/uri-list"), bytes);
    }
    EXPECT_EQ(mime.urls(), urls);
    EXPECT_EQ(mime.data("text/uri-list"), bytes);
    EXPECT_EQ(runs, 1);
    if (c.outcome == Outcome::AsksAgainWhileRunning) {
      EXPECT_TRUE(inner.isEmpty());
    }
  }
}

}  // namespace
}  // namespace vk::gui
