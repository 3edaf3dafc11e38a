#include "desktopopener.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Runs a short query of the desktop's; its standard output, or a null string when it could not run.
QString Ask(const QString& program, const QStringList& arguments) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) {
        return {};
    }
    QProcess process;
    // Their answers are read as English text.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(found, arguments);
    // These answer from their caches at once; a hung one is taken as no answer.
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

CDesktopOpener::Result CDesktopOpener::Open(const QString& path) {
    const QString mimeType = QMimeDatabase().mimeTypeForFile(path).name();
    bool asked = false;
    const QString application = DefaultApplication(mimeType, asked);
    if (asked && application.isEmpty()) {
        return Result::NoApplication;
    }
    return OpenWithDefault(path) ? Result::Opened : Result::Failed;
}

QString CDesktopOpener::DefaultApplication(const QString& mimeType, bool& asked) {
    // "Default application for 'text/plain': org.gnome.TextEditor.desktop", or "No default
    // application for 'x/y'".
    const QString gio = Ask(QStringLiteral("gio"), {QStringLiteral("mime"), mimeType});
    if (!gio.isNull()) {
        asked = true;
        const QString first = gio.section(QLatin1Char('\n'), 0, 0);
        if (!first.startsWith(QLatin1String("Default application"))) {
            return {};
        }
        return first.section(QLatin1Char(':'), -1).trimmed();
    }
    const QString xdg =
        Ask(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    asked = !xdg.isNull();
    return xdg;
}

bool CDesktopOpener::OpenWithDefault(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
