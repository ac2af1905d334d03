#include "app/shell_integration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace urlsmith::app {

namespace {

std::optional<QString> WriteEntry(const QString& path, const QString& text, bool executable) {
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder)) {
    return QStringLiteral(
               "Cannot open or create the settings folder!\nProbably the settings "
               "folder is corrupt!\n") +
           folder;
  }
  QSaveFile file(path);
  const QByteArray bytes = text.toUtf8();
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    return QStringLiteral(
               "Cannot set the settings value!\nProbably the settings folder is "
               "corrupt!\n") +
           path + QStringLiteral(": ") + file.errorString();
  }
  if (executable) {
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeUser);
  }
  return std::nullopt;
}

}  // namespace

QString DataHome() {
  const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
  return QDir::homePath() + QStringLiteral("/.local/share");
}

QString ApplicationEntryPath() {
  return DataHome() + QStringLiteral("/applications/urlsmith.desktop");
}

QString ServiceMenuPath() {
  return DataHome() + QStringLiteral("/kio/servicemenus/urlsmith.desktop");
}

QString DesktopExec(const QString& programPath) {
  // Inside a quoted argument '"', '`', '$' and '\' are escaped with a backslash; the entry's
  // own string rules then double every backslash.
  QString quoted;
  for (const QChar c : programPath) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    quoted += c;
  }
  quoted.replace(u'\\', QStringLiteral("\\\\"));
  quoted.replace(u'%', QStringLiteral("%%"));
  return u'"' + quoted + QStringLiteral("\" %f");
}

QString ApplicationEntryText(const QString& programPath) {
  const QString exec = DesktopExec(programPath);
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Urlsmith\n"
             "GenericName=Link Checker\n"
             "Comment=Find and repair broken links in a local web site\n"
             "Icon=urlsmith\n"
             "Exec=") +
         exec +
         QStringLiteral(
             "\n"
             "Terminal=false\n"
             "Categories=Development;WebDevelopment;\n"
             "MimeType=inode/directory;\n"
             "Actions=check;\n"
             "\n"
             "[Desktop Action check]\n"
             "Name=Check with Urlsmith\n"
             "Exec=") +
         exec + u'\n';
}

QString ServiceMenuText(const QString& programPath) {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Service\n"
             "MimeType=inode/directory;\n"
             "Actions=urlsmithCheck;\n"
             "X-KDE-Priority=TopLevel\n"
             "\n"
             "[Desktop Action urlsmithCheck]\n"
             "Name=Check with Urlsmith\n"
             "Icon=urlsmith\n"
             "Exec=") +
         DesktopExec(programPath) + u'\n';
}

std::optional<QString> RegisterFolderAction(const QString& programPath) {
  if (auto failed = WriteEntry(ApplicationEntryPath(), ApplicationEntryText(programPath), false)) {
    return failed;
  }
  return WriteEntry(ServiceMenuPath(), ServiceMenuText(programPath), true);
}

void RemoveFolderAction() {
  QFile::remove(ApplicationEntryPath());
  QFile::remove(ServiceMenuPath());
}

}  // namespace urlsmith::app
