#include "SoundSelectionDialog.h"

#include "SoundFile.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace recorder {

using classic::buttonRow;
using classic::ClassicDialog;

SoundSelectionDialog::SoundSelectionDialog(QWidget* owner, qsizetype formatIndex)
    : ClassicDialog(owner)
{
    setObjectName(QStringLiteral("SoundSelectionDialog"));
    setWindowTitle(QStringLiteral("Sound Selection"));
    setModal(true);

    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("Name"));
    m_name->addItem(QStringLiteral("[untitled]"));
    auto* saveAs = new QPushButton(QStringLiteral("&Save As..."), this);
    saveAs->setAutoDefault(false);
    saveAs->setToolTip(QStringLiteral("Saving named formats is not available"));
    auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
    remove->setEnabled(false);
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("Format"));
    m_attributes = new QComboBox(this);
    m_attributes->setObjectName(QStringLiteral("Attributes"));
    for (const SoundFormat& f : soundFormats()) {
        if (m_format->findText(f.name, Qt::MatchExactly) < 0)
            m_format->addItem(f.name);
    }

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(saveAs);
    nameRow->addWidget(remove);
    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(m_name);
    form->addRow(nameLabel, nameRow);
    auto* formatLabel = new QLabel(QStringLiteral("&Format:"), this);
    formatLabel->setBuddy(m_format);
    form->addRow(formatLabel, m_format);
    auto* attributesLabel = new QLabel(QStringLiteral("&Attributes:"), this);
    attributesLabel->setBuddy(m_attributes);
    form->addRow(attributesLabel, m_attributes);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({ok, cancel}));

    setTabOrder(m_name, saveAs);
    setTabOrder(saveAs, m_format);
    setTabOrder(m_format, m_attributes);
    setTabOrder(m_attributes, ok);
    setTabOrder(ok, cancel);

    connect(m_format, &QComboBox::currentIndexChanged, this, &SoundSelectionDialog::formatChanged);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_current = formatIndex;
    m_format->setCurrentIndex(m_format->findText(soundFormats().at(formatIndex).name));
    formatChanged();
    m_name->setFocus();
}

qsizetype SoundSelectionDialog::chosenFormat() const
{
    const QString attributes = m_attributes->currentText();
    const auto& formats = soundFormats();
    for (qsizetype i = 0; i < formats.size(); ++i) {
        if (formats.at(i).name == m_format->currentText() && formats.at(i).attributes == attributes)
            return i;
    }
    return m_current;
}

void SoundSelectionDialog::formatChanged()
{
    // The attributes of the format chosen; the sound's own ones, else those
    // of a new sound, else the first, are chosen with it.
    const QString name = m_format->currentText();
    const auto& formats = soundFormats();
    m_attributes->clear();
    int chosen = 0;
    for (qsizetype i = 0; i < formats.size(); ++i) {
        if (formats.at(i).name != name)
            continue;
        if (i == m_current || (i == defaultFormat() && formats.at(m_current).name != name))
            chosen = m_attributes->count();
        m_attributes->addItem(formats.at(i).attributes);
    }
    m_attributes->setCurrentIndex(chosen);
}

} // namespace recorder
