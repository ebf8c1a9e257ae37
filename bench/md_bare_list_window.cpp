// The yardstick of an interactive start: a bare Qt program that shows a main window of the
// same size with five docks and a tree holding the names of the stored Mandorele.
//   md_bare_list_window <count>
#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QTreeWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Mandorel"));
    window.resize(767, 765);
    auto* tree = new QTreeWidget;
    tree->setColumnCount(2);
    for (int i = 0; i < 5; ++i) {
        auto* dock = new QDockWidget(QStringLiteral("Ansicht %1").arg(i), &window);
        dock->setObjectName(QStringLiteral("dock%1").arg(i));
        dock->setWidget(i == 0 ? static_cast<QWidget*>(tree) : new QWidget);
        window.addDockWidget(i == 0 ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea, dock);
    }
    auto* gruppe = new QTreeWidgetItem(QStringList{QStringLiteral("Personaleinsatzplanung")});
    for (int i = 0; i < count; ++i) {
        gruppe->addChild(new QTreeWidgetItem(
            QStringList{QStringLiteral("Monatsliste Filiale %1").arg(i), QStringLiteral("PLON")}));
    }
    tree->addTopLevelItem(gruppe);
    tree->expandAll();
    window.show();
    return QApplication::exec();
}
