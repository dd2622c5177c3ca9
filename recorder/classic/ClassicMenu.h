#pragma once

// A drop-down menu whose mnemonics behave as in the classic desktop menus the
// programs built on it imitate:
// - a letter that only one item of the menu has chooses that item (a submenu
//   opens with its first item highlighted);
// - a letter that several items share only moves the highlight to the next of
//   them, wrapping, and opens nothing; Enter then chooses the highlighted item.
// Qt's own menus differ in the second case: they open a highlighted submenu at
// once, so the Enter that was meant to open it chooses its first item instead.

#include <QMenu>

namespace classic {

class ClassicMenu : public QMenu
{
    Q_OBJECT
public:
    explicit ClassicMenu(const QString& title, QWidget* parent = nullptr);

    // A submenu of the same kind.
    ClassicMenu* addClassicMenu(const QString& title);

    // The items of this menu whose mnemonic is c (any letter case).
    QList<QAction*> itemsWithMnemonic(QChar c) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace classic
