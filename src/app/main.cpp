// The desktop program: reads the command line, builds the application
// object, the message sink and the main window, and runs the event loop.

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QStyleFactory>
#include <clocale>
#include <exception>

#include "ui/main_window.h"
#include "ui/message_box_messages.h"
#include "ui/widgets/calibration_overlay.h"
#include "ui/window/file_dialogs.h"
#include "ui/window/first_paint_probe.h"
#include "ui/window/screenshot_tour.h"
#include "ui/window/termination_signals.h"

namespace {

// Shows an error that escaped an event handler and lets the program go on,
// as the toolkit's own exception display would.
class GuardedApplication final : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      QMessageBox::critical(activeWindow(), applicationName(), QString::fromUtf8(error.what()));
    } catch (...) {
      QMessageBox::critical(activeWindow(), applicationName(), QString());
    }
    return false;
  }
};

struct CommandLine {
  QString ExtraPort;
  // Above 0: the built-in simulator runs this many times faster than real
  // time, so a long drive can be tried in minutes.
  double SimulatorTimeScale = 0;
};

// The command line, read before any window exists so --help, --version and
// a wrong option work without a display.
CommandLine ReadCommandLine(int& argc, char** argv) {
  const QCoreApplication reader(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("OrvelConfigurator"));
  QCoreApplication::setApplicationVersion(QStringLiteral("3.88"));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Configures an air-flow signal converter over a serial port. Settings and the undo history are kept in "
      "the current folder (config.cfg, UndoRedoHistory.his)."));
  // Qt-style single-dash words ("-platform offscreen") are long options.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption port(
      QStringLiteral("port"),
      QStringLiteral("Add PATH (a pseudo-terminal, /dev/rfcomm0, any serial device) to the port list and "
                     "choose it at start."),
      QStringLiteral("PATH"));
  parser.addOption(port);
  const QCommandLineOption timeScale(
      QStringLiteral("sim-time-scale"),
      QStringLiteral("Run the built-in simulator X times faster than real time (0.1 to 1000)."),
      QStringLiteral("X"));
  parser.addOption(timeScale);
  // The toolkit's own options reach the application object below.
  for (const char* toolkitOption : {"platform", "style", "display", "geometry", "stylesheet"}) {
    QCommandLineOption option(QString::fromLatin1(toolkitOption), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  // Exits after --help, --version or a wrong option.
  parser.process(reader);
  CommandLine line;
  line.ExtraPort = parser.value(port);
  bool ok = false;
  const double scale = parser.value(timeScale).toDouble(&ok);
  line.SimulatorTimeScale = ok && scale > 0 ? scale : 0;
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine commandLine = ReadCommandLine(argc, argv);
  GuardedApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("OrvelConfigurator"));
  QApplication::setApplicationVersion(QStringLiteral("3.88"));

  // Numbers in the logic are formatted by the program itself; keep the C
  // library's own conversions predictable.
  std::setlocale(LC_NUMERIC, "C");
  if (auto* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(style);
  }

  // SIGTERM and SIGINT close the window the ordinary way, which saves the
  // settings and the history, then end the event loop. Before the window
  // exists (a start-up message waits) the waiting box is let go first. Either
  // way the messages go to standard error from then on: nobody is left to
  // close a box.
  orvel::ui::MessageBoxMessages messages;
  orvel::ui::TerminationSignals termination;
  QMetaObject::Connection whileStarting =
      QObject::connect(&termination, &orvel::ui::TerminationSignals::Requested, &application, [&messages] {
        messages.SetUnattended();
        orvel::ui::DismissModalDialog();
      });

  orvel::ui::MainWindowServices services =
      orvel::ui::DefaultMainWindowServices(commandLine.SimulatorTimeScale);
  auto dialogs = std::make_shared<orvel::ui::QtFileDialogs>();
  services.Dialogs = dialogs;
  services.ExtraPort = commandLine.ExtraPort.toStdString();
  services.LoadHistoryAfterFirstPaint = true;
  orvel::ui::TForm1 window(messages, services);
  messages.SetParent(&window);
  dialogs->SetParent(&window);
  // A spare overlay lives as long as the program; each calibration makes its own.
  orvel::ui::TCalibrationOverlayForm spareOverlay(&window);

  QObject::disconnect(whileStarting);
  orvel::ui::CloseOnTermination(termination, window, messages);

  orvel::ui::FirstPaintProbe::WatchIfRequested(window);
  orvel::ui::RunScreenshotTourIfRequested({window, window.MainPageControl(), window.ConnectionPage(),
                                           [&window](int language) { window.ApplyLanguage(language); }});
  // Once shown, the window loads the history and chooses the extra port.
  window.show();
  return QApplication::exec();
}
