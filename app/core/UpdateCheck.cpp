#include "app/core/UpdateCheck.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QVersionNumber>

#include "app/core/IniFile.h"

namespace vk::app {
namespace {

constexpr char kEditionSection[] = "Vorelkit";
// An update document is a few lines; anything much larger is not one.
constexpr qint64 kMaxDocument = 64 * 1024;

QString SiteBase(const QString& site) {
  QString base = site.trimmed();
  while (base.endsWith(u'/')) base.chop(1);
  return base;
}

}  // namespace

TUpdateInfo ParseUpdateInfo(const QByteArray& document) {
  TIniFile ini;
  ini.Parse(QString::fromUtf8(document));
  return {ini.ReadString(kEditionSection, QStringLiteral("Version"), QStringLiteral("3.8")),
          ini.ReadString(kEditionSection, QStringLiteral("SetupFile"), {})};
}

bool IsNewerVersion(const QString& version) {
  const QVersionNumber number = QVersionNumber::fromString(version.trimmed());
  return !number.isNull() && number > QVersionNumber::fromString(QLatin1String(kUpdateBaseVersion));
}

QUrl UpdateDocumentUrl(const QString& site) {
  const QUrl url(SiteBase(site) + QStringLiteral("/download/update.ini"), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https")
             ? url
             : QUrl();
}

QUrl SetupFileUrl(const QString& site, const QString& setupFile) {
  QUrl url(SiteBase(site) + QStringLiteral("/download/"));
  static const QRegularExpression kPlainName(QStringLiteral("^[^/\\\\:?#%\\x00-\\x1f]+$"));
  const QString name = setupFile.trimmed();
  if (kPlainName.match(name).hasMatch() && !name.contains(QStringLiteral("..")))
    url.setPath(url.path() + name);
  return url;
}

TUpdateCheck::TUpdateCheck(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

TUpdateCheck::~TUpdateCheck() {
  // Ends quietly: nobody is told of a check that is given up.
  if (!reply_) return;
  disconnect(reply_, nullptr, this, nullptr);
  reply_->abort();
}

void TUpdateCheck::Start(const QString& site) {
  info_ = {};
  error_.clear();
  const QUrl url = UpdateDocumentUrl(site);
  if (!url.isValid()) {
    error_ = QStringLiteral("\"%1\" is not an http or https address.").arg(site);
    emit Finished(TUpdateVerdict::Failed);
    return;
  }
  QNetworkRequest request(url);
  request.setTransferTimeout(30000);
  reply_ = network_->get(request);
  connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
    if (received > kMaxDocument && reply_) reply_->abort();
  });
  connect(reply_, &QNetworkReply::finished, this, [this, reply = reply_] { Done(reply); });
}

void TUpdateCheck::Done(QNetworkReply* reply) {
  reply->deleteLater();
  reply_ = nullptr;
  const QByteArray document = reply->read(kMaxDocument + 1);
  if (reply->error() != QNetworkReply::NoError || document.size() > kMaxDocument) {
    error_ = reply->error() != QNetworkReply::NoError ? reply->errorString()
                                                      : QStringLiteral("The document is too long.");
    emit Finished(TUpdateVerdict::Failed);
    return;
  }
  info_ = ParseUpdateInfo(document);
  emit Received();
  emit Finished(IsNewerVersion(info_.Version) ? TUpdateVerdict::Newer : TUpdateVerdict::Latest);
}

}  // namespace vk::app
