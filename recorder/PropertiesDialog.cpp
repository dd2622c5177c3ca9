#include "PropertiesDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace recorder {

using classic::buttonRow;
using classic::ClassicDialog;

PropertiesDialog::PropertiesDialog(QWidget* owner, const QString& soundName,
                                   const QString& formatText, const QString& lengthText)
    : ClassicDialog(owner)
{
    setObjectName(QStringLiteral("PropertiesDialog"));
    setWindowTitle(QStringLiteral("Properties for ") + soundName);
    setModal(true);

    auto* details = new QGroupBox(QStringLiteral("Details"), this);
    auto* form = new QFormLayout(details);
    form->addRow(QStringLiteral("Copyright:"),
                 new QLabel(QStringLiteral("No copyright information"), details));
    form->addRow(QStringLiteral("Length:"), new QLabel(lengthText, details));
    m_format = new QLabel(formatText, details);
    form->addRow(QStringLiteral("Audio format:"), m_format);

    auto* conversion = new QGroupBox(QStringLiteral("Format Conversion"), this);
    auto* convertRow = new QHBoxLayout(conversion);
    auto* hint = new QLabel(QStringLiteral("To use less space for this sound, click Convert Now."),
                            conversion);
    hint->setWordWrap(true);
    convertRow->addWidget(hint, 1);
    m_convert = new QPushButton(QStringLiteral("&Convert Now..."), conversion);
    m_convert->setObjectName(QStringLiteral("ConvertNow"));
    // Enter never converts: it always confirms the dialog.
    m_convert->setAutoDefault(false);
    convertRow->addWidget(m_convert);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(conversion);
    layout->addLayout(buttonRow({m_ok, cancel}));
    setTabOrder(m_convert, m_ok);
    setTabOrder(m_ok, cancel);

    connect(m_convert, &QPushButton::clicked, this, &PropertiesDialog::convertRequested);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_ok->setFocus();
}

void PropertiesDialog::setFormatText(const QString& text)
{
    m_format->setText(text);
}

void PropertiesDialog::focusDefaultButton()
{
    m_ok->setFocus(Qt::OtherFocusReason);
}

} // namespace recorder
