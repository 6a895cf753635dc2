#include "app/Watch.h"

#include "app/ResourceStrings.h"

#include <QApplication>
#include <QPushButton>

namespace velmora {

TWatch::TWatch(QPushButton* enterButton) : enterButton_(enterButton) {
    SetEnterButton(QString::fromLatin1(res::Enter), clNavy);
}

TWatch::~TWatch() {
    if (watchCursor_) QApplication::restoreOverrideCursor();
}

void TWatch::BeginWatch() {
    busy_ = true;
    stop_ = false;
    stopSource_ = std::stop_source();
    SetEnterButton(QString::fromLatin1(res::Stop), clRed);
    if (!watchCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        watchCursor_ = true;
    }
}

void TWatch::EndWatch() {
    busy_ = false;
    stop_ = true;
    stopSource_.request_stop();
    SetEnterButton(QString::fromLatin1(res::Enter), clNavy);
    if (watchCursor_) {
        QApplication::restoreOverrideCursor();
        watchCursor_ = false;
    }
}

void TWatch::SetEnterButton(const QString& caption, TColor colour) {
    enterButton_->setText(caption);
    QPalette pal = enterButton_->palette();
    pal.setColor(QPalette::ButtonText, ToQColor(colour));
    enterButton_->setPalette(pal);
    enterButton_->repaint();
}

}  // namespace velmora
