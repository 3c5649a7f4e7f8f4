// The select-by-wildcard window: a folder tree, the chosen folder's path and the pattern box.
#include "dialogs/TFormselectbyfilter.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/DataFolder.h"
#include "core/GlobalSettings.h"
#include "dialogs/GuiText.h"
#include "dialogs/QtPrompts.h"
#include "dialogs/TFormWildcard.h"
#include "zip/Text.h"

namespace gui {

TFormselectbyfilter::TFormselectbyfilter(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormselectbyfilter"));
  setWindowTitle(QStringLiteral("Select files by wildcard"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  labFolder_ = new QLabel(this);
  labFolder_->setObjectName(QStringLiteral("labFolder"));
  labFolder_->setTextFormat(Qt::PlainText);
  labFolder_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives | QDir::Hidden);
  model_->setRootPath(QDir::rootPath());
  shellTree1_ = new QTreeView(this);
  shellTree1_->setObjectName(QStringLiteral("ShellTree1"));
  shellTree1_->setModel(model_);
  shellTree1_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) shellTree1_->hideColumn(column);
  shellTree1_->setSelectionMode(QAbstractItemView::SingleSelection);
  shellTree1_->setMinimumSize(360, 280);

  comboBox1_ = new QComboBox(this);
  comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
  comboBox1_->setEditable(true);
  comboBox1_->setInsertPolicy(QComboBox::NoInsert);

  auto* editWildcard = new QToolButton(this);
  editWildcard->setObjectName(QStringLiteral("SpeedButton1"));
  editWildcard->setToolTip(QStringLiteral("Edit Wildcard"));
  editWildcard->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
  ok->setObjectName(QStringLiteral("Button1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Can&cel"), this);
  cancel->setObjectName(QStringLiteral("Button2"));
  cancel->setAutoDefault(false);

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(new QLabel(QStringLiteral("Folder selected:"), this));
  folderRow->addWidget(labFolder_, 1);
  auto* patternRow = new QHBoxLayout;
  patternRow->addWidget(new QLabel(QStringLiteral("Wildcard:"), this));
  patternRow->addWidget(comboBox1_, 1);
  patternRow->addWidget(editWildcard);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(folderRow);
  layout->addWidget(new QLabel(QStringLiteral("Folders:"), this));
  layout->addWidget(shellTree1_);
  layout->addLayout(patternRow);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(shellTree1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TFormselectbyfilter::ShellTree1Change);
  connect(editWildcard, &QToolButton::clicked, this, &TFormselectbyfilter::SpeedButton1Click);
  connect(ok, &QPushButton::clicked, this, &TFormselectbyfilter::Button1Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  SelectFolder(QDir::homePath());
  FormCreate();
}

void TFormselectbyfilter::FormCreate() {
  comboBox1_->clear();
  const std::vector<std::string> patterns = core::LoadWildcards(core::DataFolder::Current());
  comboBox1_->addItems(ToStringList(patterns));
  if (patterns.empty()) {
    comboBox1_->setEditText(QStringLiteral("*.*"));
  } else {
    comboBox1_->setCurrentIndex(0);
  }
  ShellTree1Change();
}

void TFormselectbyfilter::ShellTree1Change() {
  const QModelIndexList selected = shellTree1_->selectionModel()->selectedIndexes();
  labFolder_->setText(selected.isEmpty() ? QString()
                                         : QDir::toNativeSeparators(model_->filePath(selected[0])));
}

void TFormselectbyfilter::Button1Click() {
  if (labFolder_->text().trimmed().isEmpty()) {
    ShowMessage("Please select a folder!", zip::MsgKind::Warning);
    return;
  }
  accept();
}

void TFormselectbyfilter::SpeedButton1Click() {
  TFormWildcard editor(this);
  if (editor.exec() == QDialog::Accepted) FormCreate();
}

bool TFormselectbyfilter::SelectFolder(const QString& path) {
  const QModelIndex index = model_->index(path);
  if (!index.isValid() || !model_->isDir(index)) return false;
  shellTree1_->setCurrentIndex(index);
  shellTree1_->scrollTo(index);
  return true;
}

void TFormselectbyfilter::ClearFolderSelection() {
  shellTree1_->selectionModel()->clear();
}

std::string TFormselectbyfilter::SelectedFolder() const {
  return S(labFolder_->text());
}

std::string TFormselectbyfilter::Pattern() const {
  return zip::Trim(S(comboBox1_->currentText()));
}

}  // namespace gui
