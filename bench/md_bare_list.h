#pragma once

#include <QDockWidget>
#include <QMainWindow>
#include <QStringList>
#include <QTreeWidget>

// The yardstick of the interactive start: a main window of the same size with five docks,
// the first holding a tree of the stored Mandorele's names in one program group.
inline QTreeWidget* MD_BareListWindow(QMainWindow& AWindow) {
    AWindow.resize(767, 765);
    auto* tree = new QTreeWidget;
    tree->setColumnCount(2);
    for (int i = 0; i < 5; ++i) {
        auto* dock = new QDockWidget(QStringLiteral("Ansicht %1").arg(i), &AWindow);
        dock->setObjectName(QStringLiteral("dock%1").arg(i));
        dock->setWidget(i == 0 ? static_cast<QWidget*>(tree) : new QWidget);
        AWindow.addDockWidget(i == 0 ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea, dock);
    }
    return tree;
}

inline void MD_FillBareList(QTreeWidget& ATree, const QStringList& ANames) {
    ATree.clear();
    auto* gruppe = new QTreeWidgetItem(QStringList{QStringLiteral("Personaleinsatzplanung")});
    for (const QString& name : ANames) {
        gruppe->addChild(new QTreeWidgetItem(QStringList{name, QStringLiteral("PLON")}));
    }
    ATree.addTopLevelItem(gruppe);
    ATree.expandAll();
}

// The names the benchmarks store.
inline QStringList MD_BareListNames(int ACount) {
    QStringList names;
    for (int i = 0; i < ACount; ++i) {
        names.append(QStringLiteral("Monatsliste Filiale %1").arg(i));
    }
    return names;
}
