#include "app/dialog_service.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>

#include "app/run_texts.h"

namespace urlsmith::app {

namespace {

QString Latin(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// "Name (*.a *.b)" entries, with the patterns as the dialog wants them.
QStringList NameFilters(FileDialogKind kind) {
  QStringList filters;
  for (const FileFilter& f : FileDialogFilters(kind)) {
    QString patterns = Latin(f.patterns);
    patterns.replace(u';', u' ');
    if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
    QString name = Latin(f.name);
    const auto open = name.lastIndexOf(u'(');
    if (open > 0) name = name.left(open).trimmed();
    filters << name + QStringLiteral(" (") + patterns + u')';
  }
  return filters;
}

}  // namespace

std::optional<QStringList> QtDialogService::ChooseFiles(QWidget* owner,
                                                        const QString& startFolder) {
  QFileDialog dialog(owner, QStringLiteral("Add File(s)"), startFolder);
  dialog.setObjectName(QStringLiteral("addFilesDialog"));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(NameFilters(FileDialogKind::Replacement));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedFiles();
}

std::optional<QString> QtDialogService::ChooseFolder(QWidget* owner, const QString& startFolder,
                                                     bool& addSubfolders) {
  // The system's folder chooser cannot carry our check box, so this is Qt's own.
  QFileDialog dialog(owner, QStringLiteral("Add Folder(s)"), startFolder);
  dialog.setObjectName(QStringLiteral("folderBrowser"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Choose a folder:"));
  auto* subfolders = new QCheckBox(QStringLiteral("&Add subfolders too"), &dialog);
  subfolders->setObjectName(QStringLiteral("addSubfolders"));
  subfolders->setChecked(addSubfolders);
  QObject::connect(subfolders, &QCheckBox::toggled, &dialog,
                   [&addSubfolders](bool on) { addSubfolders = on; });
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(subfolders, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

std::optional<QString> QtDialogService::ChooseFile(QWidget* owner,
                                                   const FileDialogRequest& request) {
  QFileDialog dialog(owner, Latin(FileDialogTitle(request.Kind)),
                     QString::fromStdString(request.StartFolder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(NameFilters(request.Kind));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace urlsmith::app
