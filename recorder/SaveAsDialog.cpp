#include "SaveAsDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace recorder {

using classic::buttonRow;
using classic::ClassicDialog;

SaveAsDialog::SaveAsDialog(QWidget* owner, const QString& folder)
    : ClassicDialog(owner), m_folder(folder)
{
    setObjectName(QStringLiteral("SaveAsDialog"));
    setWindowTitle(QStringLiteral("Save As"));
    setModal(true);

    auto* where = new QLabel(QDir::toNativeSeparators(folder), this);
    where->setTextInteractionFlags(Qt::NoTextInteraction);
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("FileName"));
    auto* type = new QComboBox(this);
    type->setObjectName(QStringLiteral("SaveAsType"));
    type->addItem(QStringLiteral("Sounds (*.wav)"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Save in:"), where);
    auto* nameLabel = new QLabel(QStringLiteral("File &name:"), this);
    nameLabel->setBuddy(m_fileName);
    form->addRow(nameLabel, m_fileName);
    auto* typeLabel = new QLabel(QStringLiteral("Save as &type:"), this);
    typeLabel->setBuddy(type);
    form->addRow(typeLabel, type);

    m_save = new QPushButton(QStringLiteral("&Save"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_save->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_save, cancel}));
    resize(460, sizeHint().height());

    setTabOrder(m_fileName, type);
    setTabOrder(type, m_save);
    setTabOrder(m_save, cancel);

    connect(m_save, &QPushButton::clicked, this, &SaveAsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_fileName->setFocus();
}

void SaveAsDialog::accept()
{
    emit saveRequested(m_fileName->text());
}

void SaveAsDialog::finishSaved()
{
    ClassicDialog::accept();
}

} // namespace recorder
