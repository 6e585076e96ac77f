#include "engine/list/Quell.h"

#include <algorithm>
#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/detect/ArchiveExts.h"
#include "engine/detect/SpanDecision.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "engine/registry/Formats.h"
#include "engine/streams/FileStream32.h"

namespace qel {
namespace {

// Clears a flag on every way out of a scope.
struct TBusyGuard {
  bool& flag;
  explicit TBusyGuard(bool& f) : flag(f) { flag = true; }
  ~TBusyGuard() { flag = false; }
};

}  // namespace

TCustomQuell::TCustomQuell() : ArchiveExts(qel::ArchiveExts()) {}

TCustomQuell::~TCustomQuell() = default;

void TCustomQuell::SetZipCmntBufSize(int value) {
  FZipCmntBufSize = std::clamp(value, 2000, 32767);
}

bool TCustomQuell::Activate() {
  if (FBusy) return false;
  TBusyGuard busy(FBusy);
  std::error_code ec;
  if (ArchiveFile().empty() || !std::filesystem::exists(ArchiveFile(), ec))
    ReportAndRaise(ArchiveFile(), msg::FileNotFound, "", ArchiveFile());
  if (!OnRead) {
    DoError(ArchiveFile(), "OnRead", msg::RequiredEventNotAssigned, "");
    return false;
  }
  // A ZIP whose directory starts the file, on a floppy: the last disk of a spanned set.
  if (ArcType() == atZip && HeaderOffset() == 0 && Drives) {
    std::optional<bool> spanning = detect::OnSpanningMedium(*Drives, ArchiveFile());
    if (!spanning) {
      DoError(ArchiveFile(), "", msg::NotAccessible, ArchiveFile());
      return false;
    }
    if (*spanning) ForceArcType(atZipDS);
  }

  std::unique_ptr<TFileStream32> file = TFileStream32::Open(ArchiveFile(), fmOpenRead);
  if (!file) {
    DoError(ArchiveFile(), "", msg::ErrorOpeningFile, ArchiveFile());
    return false;
  }
  TListSession session(*this, std::move(file));
  auto totals = [&] {
    if (OnTotals)
      OnTotals(*this, int64_t(session.UnpackTotal()), int64_t(session.PackTotal()),
               CalcRatio(session.UnpackTotal(), session.PackTotal()), session.Count());
  };
  const bool ran = RunOperation([&] {
    try {
      ListBranch(session);
    } catch (...) {
      totals();  // what was listed before the error still adds up
      throw;
    }
    totals();
  });
  return ran;
}

void TCustomQuell::ListBranch(TListSession& session) {
  const TFormatDescriptor* format = FormatOf(ArcType());
  if (format && format->List) {
    format->List(session);
  } else if (format && format->LibraryMissing) {
    // Listed by a component over an outside library, which the engine does not have.
    DoError(ArchiveFile(), "", format->LibraryMissing, ArchiveFile());
  } else {
    ReportAndRaise(ArchiveFile(), msg::UnsupportedArchiveType, "", ArchiveFile());
  }
}

bool TCustomQuell::GetFileList(TStrings& list) {
  list.clear();
  // The caller's listing events are set aside for the run and restored on every way out.
  struct TSaved {
    TCustomQuell& q;
    TReadEvent read = q.OnRead;
    TNotifyEvent begin = q.OnReadBegin, end = q.OnReadEnd, activate = q.OnActivate,
                 deactivate = q.OnDeactivate;
    TTotalsEvent totals = q.OnTotals;
    ~TSaved() {
      q.OnRead = read;
      q.OnReadBegin = begin;
      q.OnReadEnd = end;
      q.OnActivate = activate;
      q.OnDeactivate = deactivate;
      q.OnTotals = totals;
    }
  } saved{*this};
  OnRead = [&list](TZipCommon& sender, int64_t, int) {
    list.push_back(static_cast<TCustomQuell&>(sender).Entry().FileName);
  };
  OnReadBegin = OnReadEnd = OnActivate = OnDeactivate = nullptr;
  OnTotals = nullptr;
  bool ok = false;
  try {
    ok = Activate();
  } catch (const E_RAISE&) {
  }
  if (!ok) list.clear();
  return ok;
}

}  // namespace qel
