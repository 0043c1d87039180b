// mosaic: the command-line tool over the Mosaic TV core. It needs no display: the commands that
// draw text do it off screen, and the monitor, which runs on machines without any, does not even
// load the drawing parts.

#include "tools/command.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Qt's notes about the missing session environment of a display-less run are of no use here.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (message.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
  std::fprintf(stderr, "mosaic: %s\n", qPrintable(message));
}

void printHelp(std::FILE* to) {
  std::fprintf(to, "usage: mosaic COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& c : mosaic::tool::commands()) std::fprintf(to, "  %-8s %s\n", c.name, c.summary);
  std::fprintf(to, "\n'mosaic COMMAND --help' shows the arguments of a command;\n");
  std::fprintf(to, "'mosaic --version' shows the version.\n");
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(quietMessages);
  // The monitor writes pictures, which needs no platform at all; the other commands draw text,
  // off screen: never ask for a display.
  std::unique_ptr<QCoreApplication> app;
  if (argc > 1 && std::strcmp(argv[1], "monitor") == 0) {
    app = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    app = std::make_unique<QGuiApplication>(argc, argv);
  }

  const QStringList qargs = QCoreApplication::arguments();
  std::vector<std::string> args;
  for (int i = 1; i < qargs.size(); ++i) args.push_back(qargs[i].toStdString());

  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp(args.empty() ? stderr : stdout);
    return args.empty() ? mosaic::tool::kExitUsage : mosaic::tool::kExitOk;
  }
  if (args[0] == "--version") {
    std::printf("mosaic (Mosaic TV) %s\n", MOSAIC_VERSION);
    return mosaic::tool::kExitOk;
  }
  for (const auto& c : mosaic::tool::commands()) {
    if (args[0] != c.name) continue;
    // Each command answers "--help" itself, with as much detail as it has.
    return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "mosaic: unknown command '%s'\n", args[0].c_str());
  printHelp(stderr);
  return mosaic::tool::kExitUsage;
}
