#include "formats/uue/UuEncode.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "codecs/uu/UuCode.h"
#include "engine/base/ArchiveDetection.h"
#include "engine/base/Errors.h"
#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/base/Version.h"
#include "engine/streams/TempStreams.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/uue/UuHeader.h"

namespace qel {

using namespace uu;

namespace {

namespace fs = std::filesystem;

constexpr int64_t kReadPiece = 32768;
constexpr size_t kOutputPiece = 32768;
constexpr int kLinesPerKByte = 16;

TUuKind KindOf(TCompressMethod method) {
  return method == TCompressMethod::cmXXEncode ? TUuKind::Xx
         : method == TCompressMethod::cmBase64 ? TUuKind::Base64
                                               : TUuKind::Uu;
}

// The MIME type a Base64 text announces for the file, by its extension.
const char* ContentType(const std::string& name) {
  static constexpr std::pair<const char*, const char*> kTypes[] = {
      {".htm", "text/html"},   {".txt", "text/plain; Charset=US-ASCII"},
      {".gif", "image/gif"},   {".jpg", "image/jpeg"},
      {".aif", "audio/aiff"},  {".au", "audio/basic"},
      {".snd", "audio/basic"}, {".avi", "video/avi"},
      {".rtf", "text/rtf"}};
  std::string ext = fs::path(name).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return char(std::tolower(c)); });
  for (const auto& [e, type] : kTypes)
    if (ext == e) return type;
  return "application/octet-stream";
}

WideString WithExtension(const WideString& name, const char* ext) {
  return fs::path(name).replace_extension(ext).string();
}

// The files `file` stands for: itself, or when it is the last part of a multi-volume ZIP
// set, every part in order (x.z01, x.z02 ... x.zip).
std::vector<WideString> InputParts(const WideString& file) {
  std::vector<WideString> parts;
  if (DetectedArcType(file) == atZipMV) {
    for (int volume = 1;; ++volume) {
      WideString part = VolumeFileName(file, volume, 0, false);
      if (!fs::is_regular_file(part)) break;
      parts.push_back(std::move(part));
    }
  }
  parts.push_back(file);
  return parts;
}

}  // namespace

const char* EncodedExtension(TCompressMethod method) {
  switch (KindOf(method)) {
    case TUuKind::Xx:
      return ".xxe";
    case TUuKind::Base64:
      return ".mim";
    default:
      return ".uue";
  }
}

TUUEncode::TUUEncode() : TCompressClass(".uue") {
  ForceArcType(atUUE);
  InitCompressMethod(TCompressMethod::cmUUEncode);
}

bool TUUEncode::AcceptsMethod(TCompressMethod method) const {
  using enum TCompressMethod;
  return method == cmUUEncode || method == cmXXEncode || method == cmBase64;
}

void TUUEncode::SetArchiveFile(const WideString& name) {
  SetExistingArchive(name);
  OutFilename = name.empty() ? WideString() : WithExtension(name, DefaultExt().c_str());
}

int TUUEncode::Encode() {
  int written = 0;
  RunOperation([&] {
    if (OutFilename.empty()) ReportAndRaise(OutFilename, msg::InvalidFileName, "", "");
    if (Switch == TSwitch::swDelete)
      ReportAndRaise(ArchiveFile(), msg::UnsupportedArchiveType, "", "");
    WideString out = OutFilename;
    if (fs::path(out).extension().empty()) out += DefaultExt();
    // The last part of a multi-volume ZIP set goes with the parts before it, as one input.
    const std::vector<WideString> parts = InputParts(ArchiveFile());
    const bool zipSet = parts.size() > 1;
    int64_t size = 0, time = 0;
    for (const WideString& part : parts) {
      struct stat st {};
      if (::stat(part.c_str(), &st) != 0) ReportAndRaise(part, msg::ErrorOpeningFile, "", "");
      size += st.st_size;
      time = std::max<int64_t>(time, st.st_mtime);
    }

    const TUuKind kind = KindOf(CompressMethod());
    const TAlphabet& alphabet = AlphabetOf(kind);
    const bool base64 = kind == TUuKind::Base64;
    const std::string name = fs::path(ArchiveFile()).filename().string();
    const size_t lineBytes = base64 ? kBase64LineBytes : kLengthLineBytes;
    const int64_t linesPerVolume =
        base64 || KBytesPerVolume <= 0 ? INT64_MAX : int64_t(KBytesPerVolume) * kLinesPerKByte;
    FileName = name;
    if (OnBegin) {
      bool go = true;
      OnBegin(*this, name, 1, go);
      if (!go) return;
    }

    // The volumes, each under a temporary name until all are whole.
    std::vector<std::pair<WideString, std::unique_ptr<TTempFileStream>>> volumes;
    std::string text;
    const auto flush = [&] {
      TTempFileStream& f = *volumes.back().second;
      if (!f.WriteFully(text.data(), int64_t(text.size())))
        ReportAndRaise(volumes.back().first, msg::ErrorWritingFile, "", "");
      text.clear();
    };
    const auto line = [&](std::string_view l) {
      text += l;
      text += "\r\n";
      if (text.size() >= kOutputPiece) flush();
    };
    const std::string mode = zipSet ? std::to_string(kZipSetMode) : base64 ? "664" : "644";
    const std::string begin = std::string(base64 ? "begin-base64 " : "begin ") + mode + " " + name;
    const auto openVolume = [&] {
      const WideString target =
          volumes.empty()
              ? out
              : NextNumberedVolume(volumes.back().first, EncodedExtension(CompressMethod())[1]);
      if (target.empty()) ReportAndRaise(out, msg::MaximumVolumes, "", "");
      for (const WideString& part : parts)
        if (SameFile(part, target)) ReportAndRaise(target, msg::SameInputOutput, "", "");
      if (!ApproveReplace(target)) ReportAndRaise(target, msg::UserCanceled, "", "");
      if (!volumes.empty()) flush();
      std::unique_ptr<TTempFileStream> f = TTempFileStream::Create(
          fs::path(target).parent_path().empty() ? "." : fs::path(target).parent_path().string());
      if (!f) ReportAndRaise(target, msg::ErrorCreatingFile, "", "");
      f->Durable = false;  // a text made again from its file when lost
      volumes.emplace_back(target, std::move(f));
    };

    openVolume();
    const char* banner = base64 ? "B64Encode " : kind == TUuKind::Xx ? "XXEncode " : "UUEncode ";
    const std::string version = ProgramVersion();
    line(banner + version.substr(0, version.find('.', version.find('.') + 1)) + " (Vorelkit)");
    line("");
    if (WriteTableToFile && !base64) {
      std::string chars;
      for (unsigned i = 0; i < 64; ++i) chars += alphabet.Char(i);
      line("table");
      line(chars.substr(0, 32));
      line(chars.substr(32));
    }
    if (base64) {
      // A quote or backslash in the name is escaped, as a quoted string needs.
      std::string quoted;
      for (const char c : name)
        quoted += c == '"' || c == '\\' ? std::string{'\\', c} : std::string{c};
      line(std::string("Content-Type: ") + ContentType(name) + "; name=\"" + quoted + "\";");
      line("Content-Transfer-Encoding: base64");
      line("Content-Disposition: attachment; filename=\"" + quoted + "\"");
      line("");
    }
    line(begin);

    // Lines stay full across the pieces read: what is left of a piece waits for the next.
    FileBytesLeft = ArchiveBytesLeft = size;
    std::vector<uint8_t> data;
    std::vector<uint8_t> piece(static_cast<size_t>(kReadPiece));
    int64_t linesInVolume = 0, total = 0;
    std::string encoded;
    const auto dataLine = [&](const uint8_t* bytes, size_t n) {
      if (linesInVolume == linesPerVolume) {
        openVolume();
        line("part " + std::to_string(volumes.size()));
        line(begin);
        linesInVolume = 0;
      }
      encoded.clear();
      if (base64)
        EncodeBase64Line(bytes, n, encoded);
      else
        EncodeLengthLine(alphabet, bytes, n, encoded);
      line(encoded);
      ++linesInVolume;
    };
    for (const WideString& part : parts) {
      std::unique_ptr<TFileStream32> source = TFileStream32::Open(part, fmOpenRead);
      if (!source) ReportAndRaise(part, msg::ErrorOpeningFile, "", "");
      for (;;) {
        if (Cancel()) throw ECancelled();
        const int64_t got = ReadSource(*source, piece.data(), kReadPiece);
        data.insert(data.end(), piece.begin(), piece.begin() + got);
        total += got;
        size_t at = 0;
        for (; data.size() - at >= lineBytes; at += lineBytes)
          dataLine(data.data() + at, lineBytes);
        data.erase(data.begin(), data.begin() + std::ptrdiff_t(at));
        ReportProgress(size, total, size, total);
        if (got == 0) break;
      }
    }
    if (!data.empty()) dataLine(data.data(), data.size());
    // The zero-length line standard decoders end on; "end" alone is not enough for them.
    if (!base64) line(std::string(1, alphabet.Char(0)));
    line("end");
    line(std::to_string(total) + " bytes");
    flush();

    const int64_t stamp =
        DateAttribute == TDateAttribute::daSysDate ? int64_t(std::time(nullptr)) : time;
    for (auto& [target, file] : volumes) {
      const struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
      ::futimens(file->Handle(), times);
      if (!file->Commit(target)) ReportAndRaise(target, msg::ErrorWritingFile, "", "");
      ++written;
    }
    if (OnEnd) OnEnd(*this, out, true);
  });
  return written;
}

}  // namespace qel
