// Check for Update: the update document (an INI text, "download/update.ini" on the update
// site) fetched into memory and compared with this program's version. The site is the
// UpdateSite setting; without one nothing is contacted.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace vk::app {

// The version the document's Version is compared with.
inline constexpr char kUpdateBaseVersion[] = "4.5";

struct TUpdateInfo {
  QString Version;  // "3.8" when the document names none
  QString SetupFile;
};
// Section "Vorelkit" of the document.
TUpdateInfo ParseUpdateInfo(const QByteArray& document);
// Whether `version` is later than kUpdateBaseVersion, compared number by number ("4.10" is
// later than "4.5"); text that is no version is not later.
bool IsNewerVersion(const QString& version);
// "<site>/download/update.ini"; invalid unless `site` is an http or https address.
QUrl UpdateDocumentUrl(const QString& site);
// "<site>/download/" + `setupFile` when that is one plain file name (no scheme, folder, query
// or ".."); otherwise the download folder itself, so that a document can never send the
// browser anywhere else.
QUrl SetupFileUrl(const QString& site, const QString& setupFile);

enum class TUpdateVerdict { Failed, Latest, Newer };

class TUpdateCheck : public QObject {
  Q_OBJECT

 public:
  explicit TUpdateCheck(QObject* parent = nullptr);
  ~TUpdateCheck() override;

  // Fetches the document of `site`: Received once it is there, then Finished; a failure
  // gives Finished(Failed) alone, with Error() saying why.
  void Start(const QString& site);
  const TUpdateInfo& Info() const { return info_; }
  const QString& Error() const { return error_; }

 signals:
  void Received();
  void Finished(vk::app::TUpdateVerdict verdict);

 private:
  void Done(QNetworkReply* reply);

  QNetworkAccessManager* network_;
  QNetworkReply* reply_ = nullptr;
  TUpdateInfo info_;
  QString error_;
};

}  // namespace vk::app
