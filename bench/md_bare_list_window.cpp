// The yardstick of an interactive start as a whole program: shows the bare list window
// holding the names of the stored Mandorele.
//   md_bare_list_window <count>
#include <QApplication>

#include "md_bare_list.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Mandorel"));
    MD_FillBareList(*MD_BareListWindow(window),
                    MD_BareListNames(argc > 1 ? QByteArray(argv[1]).toInt() : 10000));
    window.show();
    return QApplication::exec();
}
