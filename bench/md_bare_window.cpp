// The yardstick of a whole unattended run: a bare Qt application that shows a window of the
// progress window's size, lets it be drawn once and ends.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(409, 249);
    window.show();
    QApplication::processEvents();
    window.hide();
    return 0;
}
