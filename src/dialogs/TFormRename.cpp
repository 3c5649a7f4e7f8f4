// The project name dialog of rename and copy.
#include "dialogs/TFormRename.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/GuiText.h"
#include "dialogs/QtPrompts.h"
#include "zip/Text.h"

namespace gui {

TFormRename::TFormRename(const QString& caption, const QString& proposed, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TFormRename"));
  setWindowTitle(caption);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* label = new QLabel(QStringLiteral("Please enter new project name"), this);
  label->setObjectName(QStringLiteral("Label1"));
  editProjName_ = new QLineEdit(proposed, this);
  editProjName_->setObjectName(QStringLiteral("EditProjName"));
  editProjName_->setMinimumWidth(300);
  editProjName_->selectAll();
  auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
  ok->setObjectName(QStringLiteral("ButtonOk"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Can&cel"), this);
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  cancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(editProjName_);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, &TFormRename::ButtonOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormRename::ButtonOkClick() {
  if (Name().empty()) {
    ShowMessage("Please enter project name", zip::MsgKind::Warning);
    return;
  }
  accept();
}

std::string TFormRename::Name() const {
  return zip::Trim(S(editProjName_->text()));
}

std::optional<std::string> AskProjectName(QWidget* parent, const QString& caption,
                                          const std::string& proposed) {
  TFormRename form(caption, Q(proposed), parent);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Name();
}

}  // namespace gui
