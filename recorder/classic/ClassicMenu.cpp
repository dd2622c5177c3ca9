#include "ClassicMenu.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace classic {

ClassicMenu::ClassicMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {}

ClassicMenu* ClassicMenu::addClassicMenu(const QString& title)
{
    auto* menu = new ClassicMenu(title, this);
    addMenu(menu);
    return menu;
}

QList<QAction*> ClassicMenu::itemsWithMnemonic(QChar c) const
{
    const int wanted = c.toUpper().unicode();
    QList<QAction*> items;
    for (QAction* action : actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
        if (!mnemonic.isEmpty() && mnemonic[0].key() == wanted)
            items << action;
    }
    return items;
}

void ClassicMenu::keyPressEvent(QKeyEvent* event)
{
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plainLetter = event->text().size() == 1 && event->text().at(0).isPrint() &&
                             (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
                              modifiers == Qt::AltModifier);
    if (plainLetter) {
        const QList<QAction*> items = itemsWithMnemonic(event->text().at(0));
        if (items.size() > 1) {
            // The next of them after the highlighted item, in menu order.
            const QList<QAction*> all = actions();
            const qsizetype current = all.indexOf(activeAction());
            QAction* target = items.first();
            for (qsizetype step = 1; step <= all.size(); ++step) {
                QAction* candidate = all.at((current + step + all.size()) % all.size());
                if (items.contains(candidate)) {
                    target = candidate;
                    break;
                }
            }
            // Arrow keys move the highlight without opening a submenu.
            for (qsizetype i = 0; i <= all.size() && activeAction() != target; ++i) {
                QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                QMenu::keyPressEvent(&down);
            }
            event->accept();
            return;
        }
    }
    QMenu::keyPressEvent(event);
}

} // namespace classic
