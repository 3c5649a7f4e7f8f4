// The wildcard editor: a list of patterns with add, delete, delete all, up and down.
#include "dialogs/TFormWildcard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/GlobalSettings.h"
#include "core/IniFileError.h"
#include "dialogs/GuiText.h"
#include "dialogs/Help.h"
#include "dialogs/QtPrompts.h"
#include "dialogs/SourceListCommands.h"
#include "zip/Text.h"

namespace gui {

namespace {

QToolButton* ToolButton(QWidget* parent, const char* name, const char* hint,
                        QStyle::StandardPixmap icon) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setToolTip(QLatin1String(hint));
  button->setIcon(parent->style()->standardIcon(icon));
  button->setAutoRaise(true);
  return button;
}

QPushButton* PushButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QLatin1String(caption), parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFormWildcard::TFormWildcard(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormWildcard"));
  setWindowTitle(QStringLiteral("Edit Wildcard"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  listBox1_ = new QListWidget(this);
  listBox1_->setObjectName(QStringLiteral("ListBox1"));
  listBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
  edit1_ = new QLineEdit(this);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setToolTip(QStringLiteral("Please enter a new  wildcard"));
  edit1_->setPlaceholderText(QStringLiteral("Please enter a new  wildcard"));

  auto* spNew = ToolButton(this, "SpNew", "Add wildcard", QStyle::SP_FileDialogNewFolder);
  auto* button4 = ToolButton(this, "Button4", "Delete a item", QStyle::SP_DialogDiscardButton);
  auto* speedButton1 = ToolButton(this, "SpeedButton1", "Delete all items", QStyle::SP_TrashIcon);
  auto* speedButton3 = ToolButton(this, "SpeedButton3", "Up a item", QStyle::SP_ArrowUp);
  auto* speedButton2 = ToolButton(this, "SpeedButton2", "Down a item", QStyle::SP_ArrowDown);
  auto* help = PushButton(this, "Button1", "Help");
  auto* ok = PushButton(this, "btnOk", "&Ok");
  auto* cancel = PushButton(this, "Button3", "Can&cel");

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Add wildcard:"), this), 0, 0);
  grid->addWidget(edit1_, 1, 0);
  grid->addWidget(spNew, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Wildcard list:"), this), 2, 0);
  grid->addWidget(listBox1_, 3, 0);
  auto* listButtons = new QVBoxLayout;
  for (QToolButton* b : {button4, speedButton1, speedButton3, speedButton2})
    listButtons->addWidget(b);
  listButtons->addStretch();
  grid->addLayout(listButtons, 3, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  listBox1_->setMinimumSize(260, 180);

  connect(spNew, &QToolButton::clicked, this, &TFormWildcard::SpNewClick);
  // Enter in the edit adds the pattern rather than closing the editor.
  connect(edit1_, &QLineEdit::returnPressed, this, &TFormWildcard::SpNewClick);
  connect(button4, &QToolButton::clicked, this, &TFormWildcard::Button4Click);
  connect(speedButton1, &QToolButton::clicked, this, &TFormWildcard::SpeedButton1Click);
  connect(speedButton3, &QToolButton::clicked, this, &TFormWildcard::SpeedButton3Click);
  connect(speedButton2, &QToolButton::clicked, this, &TFormWildcard::SpeedButton2Click);
  connect(help, &QPushButton::clicked, this, [] { ShowHelp(801); });
  connect(ok, &QPushButton::clicked, this, &TFormWildcard::btnOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  FormCreate();
}

void TFormWildcard::FormCreate() {
  listBox1_->clear();
  listBox1_->addItems(ToStringList(core::LoadWildcards(core::DataFolder::Current())));
}

void TFormWildcard::SpNewClick() {
  const std::string pattern = zip::Trim(S(edit1_->text()));
  if (pattern.empty()) return;
  bool listed = false;
  for (int i = 0; i < listBox1_->count() && !listed; ++i)
    listed = zip::SameText(S(listBox1_->item(i)->text()), pattern);
  if (!listed) listBox1_->addItem(Q(pattern));
  edit1_->clear();
}

void TFormWildcard::Button4Click() {
  const int row = SelectedRow(listBox1_);
  if (row < 0) {
    ShowMessage("Please select a item by clicking", zip::MsgKind::Information);
    return;
  }
  delete listBox1_->takeItem(row);
}

void TFormWildcard::SpeedButton1Click() {
  listBox1_->clear();
}

void TFormWildcard::SpeedButton3Click() {
  MoveEntryUp(listBox1_);
}

void TFormWildcard::SpeedButton2Click() {
  MoveEntryDown(listBox1_);
}

void TFormWildcard::btnOkClick() {
  std::vector<std::string> patterns;
  for (int i = 0; i < listBox1_->count(); ++i) patterns.push_back(S(listBox1_->item(i)->text()));
  try {
    core::SaveWildcards(core::DataFolder::Current(), patterns);
  } catch (const core::EIniFileException& e) {
    ShowMessage(e.what(), zip::MsgKind::Error);
    return;
  }
  accept();
}

}  // namespace gui
