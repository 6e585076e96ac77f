// The single-instance check between real processes. The probe program is a start of the
// application reduced to the check; each test gets a runtime folder of its own.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

#include "app/core/VrOneInstance.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

// Generous, because sanitizer builds start slowly on a loaded machine; nothing waits this long
// unless something is wrong.
constexpr int kWaitMs = 20000;

class Probe {
 public:
  Probe(const QString& folder, const QStringList& parameters, int timeoutMs = kWaitMs) {
    process_.setWorkingDirectory(folder);
    process_.start(VK_INSTANCE_PROBE_PATH,
                   QStringList{"map", "mutex", QString::number(timeoutMs)} + parameters);
    process_.waitForStarted(kWaitMs);
  }
  ~Probe() {
    process_.kill();
    process_.waitForFinished(kWaitMs);
  }

  // The next line printed; empty when none came in time.
  QString Line() {
    const QDeadlineTimer deadline(kWaitMs);
    while (!process_.canReadLine())
      if (deadline.hasExpired() ||
          (!process_.waitForReadyRead(int(deadline.remainingTime())) && !process_.canReadLine()))
        return {};
    return QString::fromUtf8(process_.readLine()).chopped(1);
  }

  // One hand-over as the first instance took it: its lines up to "end", by name.
  std::map<QString, QString> HandOver() {
    std::map<QString, QString> fields;
    for (QString line = Line(); !line.isEmpty() && line != "end"; line = Line()) {
      const qsizetype equals = line.indexOf('=');
      fields[line.left(equals)] = equals < 0 ? QString() : line.mid(equals + 1);
    }
    return fields;
  }

  // The exit code, or -1 when the probe did not end in time.
  int Exit() {
    return process_.waitForFinished(kWaitMs) && process_.exitStatus() == QProcess::NormalExit
               ? process_.exitCode()
               : -1;
  }

  QProcess process_;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(runtime_.isValid()); }

  // Below the system's temporary folder rather than the test's: a local socket's path is
  // limited to about a hundred bytes.
  QTemporaryDir runtime_;
  const qel::test::TEnvVar runtimeDir_{"XDG_RUNTIME_DIR", runtime_.path().toStdString()};
  qel::test::TestFolder scratch_;
  const QString folder_ = QFileInfo(QString::fromStdString(scratch_.Path())).canonicalFilePath();
};

class SingleInstanceCheck : public SingleInstanceTest {};
class SingleInstanceHandOver : public SingleInstanceTest {};

TEST_F(SingleInstanceCheck, DisabledOrUnnamedTakesNoPart) {
  struct Case {
    bool enabled;
    QString map, mutex;
    quint32 error;
    int mapFailures, mutexFailures;
  };
  const Case cases[] = {
      {false, "map", "mutex", TVrOneInstance::ErrorDisabled, 0, 0},
      {true, "", "mutex", TVrOneInstance::ErrorEmptyName, 1, 0},
      {true, "map", "", TVrOneInstance::ErrorEmptyName, 0, 1},
  };
  for (const Case& c : cases) {
    TVrOneInstance instance;
    instance.SetEnabled(c.enabled);
    instance.SetMapFileName(c.map);
    instance.SetMutexName(c.mutex);
    int mapFailures = 0, mutexFailures = 0;
    instance.OnMapFileFailure = [&](TVrOneInstance&) { ++mapFailures; };
    instance.OnMutexFailure = [&](TVrOneInstance&) { ++mutexFailures; };
    EXPECT_FALSE(instance.CheckInstance({"a.zip"}));
    EXPECT_EQ(instance.LastError(), c.error);
    EXPECT_EQ(mapFailures, c.mapFailures);
    EXPECT_EQ(mutexFailures, c.mutexFailures);
    EXPECT_FALSE(instance.IsFirstInstance() || instance.HandedOver() || instance.PollSharedData());
    EXPECT_TRUE(QDir(runtime_.path()).isEmpty()) << "nothing may be claimed";
  }
}

TEST_F(SingleInstanceHandOver, LaterStartsHandOverAndEnd) {
  const QString longName = "/archives/" + QString(600, 'x') + ".zip";
  struct Case {
    QStringList parameters;
    QString line, archive;
  };
  const Case cases[] = {
      {{"sub dir/a.zip"}, "\"sub dir/a.zip\"", folder_ + "/sub dir/a.zip"},
      {{longName}, longName, longName},
      {{}, "", ""},  // only brings the window back
  };
  Probe first(runtime_.path(), {});
  ASSERT_EQ(first.Line(), "first");
  for (const Case& c : cases) {
    Probe second(folder_, c.parameters);
    EXPECT_EQ(second.Line(), "second");
    EXPECT_EQ(second.Exit(), 0);
    auto fields = first.HandOver();
    EXPECT_TRUE(fields.count("restore"));
    EXPECT_TRUE(fields["user"].startsWith("from "));
    EXPECT_EQ(fields["line"], c.line);
    EXPECT_EQ(fields["dir"], folder_);
    EXPECT_EQ(fields["archive"], c.archive);
  }
}

TEST_F(SingleInstanceHandOver, HandOversWaitUntilPolled) {
  TVrOneInstance instance;
  instance.SetMapFileName("map");
  instance.SetMutexName("mutex");
  ASSERT_TRUE(instance.CheckInstance({}));
  const QStringList names{"one.zip", "two.zip"};
  int waiting = 0;
  QObject::connect(&instance, &TVrOneInstance::SharedDataWaiting, [&] { ++waiting; });
  for (const QString& name : names) {
    Probe second(folder_, {name});
    QDeadlineTimer deadline(kWaitMs);
    while (second.process_.state() != QProcess::NotRunning && !deadline.hasExpired()) {
      QCoreApplication::processEvents();
      second.process_.waitForFinished(10);
    }
    EXPECT_EQ(second.Line(), "second");
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(waiting, 2);
  for (const QString& name : names) {
    ASSERT_TRUE(instance.PollSharedData());
    EXPECT_EQ(instance.ReceivedArchive(), folder_ + "/" + name);
  }
  EXPECT_FALSE(instance.PollSharedData());
}

TEST_F(SingleInstanceHandOver, KilledFirstInstanceDoesNotBlockTheNext) {
  {
    Probe crashed(runtime_.path(), {});
    ASSERT_EQ(crashed.Line(), "first");
    crashed.process_.kill();
    ASSERT_TRUE(crashed.process_.waitForFinished(kWaitMs));
  }
  ASSERT_FALSE(QDir(runtime_.path()).entryList({"*.lock"}).isEmpty()) << "no lock was left";
  Probe next(runtime_.path(), {});
  ASSERT_EQ(next.Line(), "first");
  Probe second(folder_, {"a.zip"});
  EXPECT_EQ(second.Line(), "second");
  EXPECT_EQ(next.HandOver()["archive"], folder_ + "/a.zip");
}

TEST_F(SingleInstanceHandOver, HungFirstInstanceLetsTheSecondFail) {
  Probe first(runtime_.path(), {});
  ASSERT_EQ(first.Line(), "first");
  ASSERT_EQ(::kill(first.process_.processId(), SIGSTOP), 0);
  Probe second(folder_, {"a.zip"}, 300);
  EXPECT_EQ(second.Line(), "failed " + QString::number(TVrOneInstance::ErrorTimeout, 16));
  EXPECT_EQ(second.Exit(), 1);
}

}  // namespace
}  // namespace vk::app
