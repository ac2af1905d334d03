#include "app/steps/results_step.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/dialog_service.h"
#include "app/key_poll.h"
#include "app/run_texts.h"
#include "app/steps/controls.h"
#include "app/steps/result_lines_model.h"
#include "app/wizard_frame.h"
#include "results/edit_result.h"

namespace urlsmith::app {

namespace {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QCheckBox* Check(QWidget* parent, int id, const QString& caption, const QString& tip,
                 bool& option) {
  auto* box = Control(new QCheckBox(caption, parent), id, tip);
  box->setChecked(option);
  QObject::connect(box, &QCheckBox::toggled, parent, [&option](bool on) { option = on; });
  return box;
}

QPushButton* Button(QWidget* parent, int id, const QString& caption, const QString& tip) {
  return Control(new QPushButton(caption, parent), id, tip);
}

}  // namespace

ResultsStep::ResultsStep(WizardFrame& frame)
    : StepPage(frame, kResultsStep, QStringLiteral("Search Results"), QStringLiteral("fix5.htm")) {
  ResultOptions& o = frame.review();
  o.MakeBackups = true;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* top = new QHBoxLayout;
  auto* sortLabel = new QLabel(QStringLiteral("Sort the list:"), this);
  sort_ = Control(new QComboBox(this), 1089, QStringLiteral("URL list sorting method"),
                  QStringLiteral("Sort the list"));
  for (std::string_view name : kSortModeNames)
    sort_->addItem(Q(name));
  sort_->setCurrentIndex(static_cast<int>(o.SortMode));
  sortLabel->setBuddy(sort_);
  count_ = Control(new QLabel(this), 1054);
  count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  top->addWidget(sortLabel);
  top->addWidget(sort_);
  top->addWidget(count_, 1);
  layout->addLayout(top);
  // Why Internet links are planned for change when the search did not check them.
  internetNotice_ = new QLabel(this);
  internetNotice_->setObjectName(QStringLiteral("internetNotice"));
  internetNotice_->setWordWrap(false);
  internetNotice_->hide();
  layout->addWidget(internetNotice_);

  list_ =
      LineList(this, 1036, QStringLiteral("Search results"), QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  model_ = new ResultLinesModel(this);
  model_->Attach(list_);
  widths_ = TextWidths(list_->font());
  layout->addWidget(list_, 1);

  auto* hide = new QGroupBox(QStringLiteral(" Hide "), this);
  auto* h = new QHBoxLayout(hide);
  h->setContentsMargins(6, 2, 6, 2);
  hideDelete_ = Check(hide, 1028, QStringLiteral("&DELETE"),
                      QStringLiteral("Hides URL's marked as \"DELETE\""), o.HideDelete);
  h->addWidget(hideDelete_);
  h->addWidget(Check(hide, 1029, QStringLiteral("&REPLACE"),
                     QStringLiteral("Hides URL's marked as \"REPLACE\""), o.HideReplace));
  h->addWidget(Check(hide, 1031, QStringLiteral("&TARGET"),
                     QStringLiteral("Hides URL's marked as \"TARGET\""), o.HideTarget));
  h->addWidget(Check(hide, 1030, QStringLiteral("&ORPHAN"),
                     QStringLiteral("Hides the list of orphan files"), o.HideOrphan));
  layout->addWidget(hide);

  auto* replace = new QGroupBox(QStringLiteral(" Replace with "), this);
  auto* r = new QGridLayout(replace);
  r->setContentsMargins(6, 2, 6, 4);
  edit_ =
      Control(new QLineEdit(replace), 1037, QStringLiteral("The replacement of the selected URL"),
              QStringLiteral("Replace with"));
  edit_->setMaxLength(65'535);
  apply_ = Button(replace, 1078, QStringLiteral("&Apply"),
                  QStringLiteral("Applies the replacement to the selected URL"));
  browse_ = Button(replace, 1038, QStringLiteral("&Browse..."),
                   QStringLiteral("Chooses a file as the replacement"));
  copyOld_ = Button(replace, 1039, QStringLiteral("&Copy Old"),
                    QStringLiteral("Puts the URL as it was found into the edit"));
  delete_ = Button(replace, 1040, QStringLiteral("&Delete"),
                   QStringLiteral("Empties the edit: the link is deleted"));
  relative_ = Control(new QCheckBox(QStringLiteral("&Make relative / Use base URL"), replace), 1075,
                      QStringLiteral("Writes the file as a path relative to each page, or from "
                                     "the base URL"));
  auto* commands = new QHBoxLayout;
  for (QPushButton* b : {browse_, copyOld_, delete_}) {
    // As narrow as their captions, so that the check box keeps its whole caption.
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(PlainCaption(b->text())) + 18);
    commands->addWidget(b);
  }
  commands->setSpacing(4);
  commands->addWidget(relative_, 1);
  r->addWidget(edit_, 0, 0);
  r->addWidget(apply_, 0, 1);
  r->addLayout(commands, 1, 0, 1, 2);
  r->setColumnStretch(0, 1);
  layout->addWidget(replace);

  auto* switches = new QHBoxLayout;
  allowDeletion_ = Check(this, 1032, QStringLiteral("Allow link deletion"),
                         QStringLiteral("Allows deletion of broken URL's"), o.AllowLinkDeletion);
  makeBackups_ = Check(this, 1056, QStringLiteral("Make back&ups before processing"),
                       QStringLiteral("Forces making of backup files that can be restored or "
                                      "deleted with the Unspool utility (recommended)"),
                       o.MakeBackups);
  switches->addWidget(allowDeletion_);
  switches->addStretch(1);
  switches->addWidget(makeBackups_);
  layout->addLayout(switches);

  ResultHooks hooks;
  hooks.SetCountLabel = [this](std::string_view text) { count_->setText(Q(text)); };
  hooks.ShowSortingLabel = [this] { count_->setText(Q(kSortingLabel)); };
  hooks.TextWidth = [this](std::string_view text) { return widths_.Width(text); };
  hooks.ScrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  hooks.StopPoll = [this] { return frame_.keyPoll().Check(); };
  hooks.SetWaitCursor = [](bool on) {
    if (on) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  };
  hooks.FlashFrame = [this] { QApplication::alert(&frame_); };
  step_ = std::make_unique<ResultStep>(frame.session(), *model_, std::move(hooks));
  step_->Options = o;
  for (QWidget* w : std::initializer_list<QWidget*>{hideDelete_, edit_, apply_, browse_, copyOld_,
                                                    delete_, relative_})
    w->setEnabled(false);

  for (int id : {1028, 1029, 1030, 1031}) {
    connect(findChild<QCheckBox*>(ControlName(id)), &QCheckBox::clicked, this,
            [this] { Command([this] { RebuildResults(*step_); }, true); });
  }
  connect(allowDeletion_, &QCheckBox::clicked, this, [this](bool on) {
    Command([this, on] { (void)SetAllowLinkDeletion(*step_, on); }, true);
  });
  connect(sort_, &QComboBox::activated, this, [this, &o](int index) {
    o.SortMode = static_cast<SortModeKind>(index);
    Command([this, index] { ChangeSortMode(*step_, static_cast<SortModeKind>(index)); }, true);
  });
  connect(model_, &ResultLinesModel::userSelectionChanged, this,
          [this] { Command([this] { SelectionChanged(*step_); }, false); });
  connect(list_, &QTreeView::doubleClicked, this, [this] {
    if (!edit_->isEnabled()) return;
    edit_->setFocus();
    edit_->selectAll();
  });
  connect(apply_, &QPushButton::clicked, this, &ResultsStep::Apply);
  connect(edit_, &QLineEdit::returnPressed, this, [this] {
    if (apply_->isEnabled()) Apply();
  });
  connect(relative_, &QCheckBox::clicked, this, [this](bool on) {
    TakeEditor();
    Command([this, on] { RelativeToggled(*step_, on); }, false);
  });
  connect(copyOld_, &QPushButton::clicked, this, [this] {
    TakeEditor();
    Command([this] { CopyOldClicked(*step_); }, false);
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    TakeEditor();
    Command([this] { DeleteClicked(*step_); }, false);
  });
  connect(browse_, &QPushButton::clicked, this, &ResultsStep::Browse);
  // The backup box is off while a second pass runs without further backups.
  connect(&frame, &WizardFrame::secondPassChanged, makeBackups_,
          [this](bool on) { makeBackups_->setEnabled(!on); });
}

ResultsStep::~ResultsStep() = default;

template <typename F>
void ResultsStep::Command(F&& command, bool rebuild) {
  SearchSession& session = frame_.session();
  if (session.SearchBusy) return;
  step_->Options = frame_.review();
  if (!rebuild) {
    session.SearchBusy = true;
    command();
    session.SearchBusy = false;
    ShowEditor();
    return;
  }
  frame_.ControlStateSave(false);
  frame_.BeginOperation();
  model_->BeginBulk();
  command();
  model_->EndBulk();
  frame_.EndOperation();
  frame_.ControlStateSave(true);
  hideDelete_->setEnabled(HideDeleteEnabled(frame_.review()));
  ShowEditor();
}

void ResultsStep::Entered() {
  const int unchecked = frame_.session().UncheckedInternetChanges;
  internetNotice_->setText(
      QStringLiteral("\u26A0 %1 unchecked Internet link(s) planned for change (step 3)")
          .arg(unchecked));
  internetNotice_->setToolTip(
      QStringLiteral("\"Check Internet URL's\" is off at step 3, so every Internet address "
                     "counts as broken: it is replaced by a file of the same name or deleted. "
                     "Check them at step 3 to keep the ones that work."));
  internetNotice_->setVisible(unchecked > 0);
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(true);
  hideDelete_->setEnabled(HideDeleteEnabled(frame_.review()));
  // The list is rebuilt once the step is on screen.
  frame_.session().SearchBusy = true;
  QTimer::singleShot(0, this, [this] {
    frame_.session().SearchBusy = false;
    if (isVisible()) Command([this] { ShowResults(*step_); }, true);
  });
}

void ResultsStep::ShowEditor() {
  const ResultEditor& e = step_->Editor;
  edit_->setEnabled(e.Enabled.Edit);
  apply_->setEnabled(e.Enabled.Apply);
  browse_->setEnabled(e.Enabled.Browse);
  copyOld_->setEnabled(e.Enabled.CopyOld);
  relative_->setEnabled(e.Enabled.MakeRelative);
  delete_->setEnabled(e.Enabled.DeleteButton);
  const QString text = Q(e.Text);
  if (edit_->text() != text) edit_->setText(text);
  relative_->setChecked(e.Relative);
}

void ResultsStep::TakeEditor() {
  step_->Editor.Text = edit_->text().toStdString();
  step_->Editor.Relative = relative_->isChecked();
}

void ResultsStep::Apply() {
  TakeEditor();
  Command([this] { ApplyClicked(*step_); }, false);
}

void ResultsStep::Browse() {
  TakeEditor();
  const FileChooser chooser = [this](const FileDialogRequest& request) {
    std::optional<std::string> chosen;
    if (const std::optional<QString> file = frame_.dialogs().ChooseFile(this, request)) {
      chosen = file->toStdString();
    }
    return chosen;
  };
  Command([this, &chooser] { BrowseClicked(*step_, chooser, frame_.lastRootFolder()); }, false);
}

}  // namespace urlsmith::app
