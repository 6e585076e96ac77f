// A start of the program reduced to its single-instance check, for the tests that need two
// real processes. Usage: InstanceProbe MAPNAME MUTEXNAME TIMEOUT_MS [PARAMETER...]
// It prints "first" and then, per hand-over taken, "restore" (when asked), "user=", "line=",
// "dir=", "archive=" and "end"; or "second" when it handed over; or "failed <code>".
#include <QCoreApplication>
#include <QTextStream>

#include "app/core/VrOneInstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 4) return 2;

  QTextStream out(stdout);
  const auto say = [&out](const QString& line) { out << line << Qt::endl; };

  vk::app::TVrOneInstance instance;
  instance.SetMapFileName(args[1]);
  instance.SetMutexName(args[2]);
  instance.SetMutexTimeOut(args[3].toInt());
  instance.OnwriteSharedData = [](vk::app::TVrOneInstance&, QByteArray& data, quint32) {
    data = "from " + QByteArray::number(QCoreApplication::applicationPid());
  };
  instance.OnreadSharedData = [&say](vk::app::TVrOneInstance&, QByteArray& data, quint32) {
    say("user=" + QString::fromUtf8(data));
  };

  if (!instance.CheckInstance(args.mid(4))) {
    say(instance.HandedOver() ? QStringLiteral("second")
                              : "failed " + QString::number(instance.LastError(), 16));
    return instance.HandedOver() ? 0 : 1;
  }
  say("first");
  QObject::connect(&instance, &vk::app::TVrOneInstance::RestoreRequested,
                   [&say] { say("restore"); });
  QObject::connect(&instance, &vk::app::TVrOneInstance::SharedDataWaiting, [&] {
    while (instance.PollSharedData()) {
      say("line=" + instance.ReceivedCommandLine());
      say("dir=" + instance.ReceivedDirectory());
      say("archive=" + instance.ReceivedArchive());
      say("end");
    }
  });
  return app.exec();
}
