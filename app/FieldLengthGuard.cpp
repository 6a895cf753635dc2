#include "app/FieldLengthGuard.h"

#include "session/SurfaceInput.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <memory>

namespace velmora {

TFieldLengthGuard::TFieldLengthGuard(const std::array<QLineEdit*, 8>& edits,
                                     std::function<void(const QString&)> showStatus, QObject* parent)
    : QObject(parent), edits_(edits), showStatus_(std::move(showStatus)) {
    for (QLineEdit* edit : edits_) {
        edit->setMaxLength(static_cast<int>(kMaxFieldLength));
        edit->installEventFilter(this);
    }
}

int TFieldLengthGuard::FieldOf(const QLineEdit* edit) const {
    for (int i = 0; i < static_cast<int>(edits_.size()); ++i)
        if (edits_[i] == edit) return i;
    return -1;
}

bool TFieldLengthGuard::Fits(QLineEdit* edit, qsizetype inserted) {
    const qsizetype length = edit->text().size() - edit->selectedText().size() + inserted;
    if (length <= static_cast<qsizetype>(kMaxFieldLength)) return true;
    showStatus_(QStringLiteral("%1 takes at most %2 characters: nothing was inserted (the text would have %3)")
                    .arg(QString::fromLatin1(FieldName(FieldOf(edit))))
                    .arg(kMaxFieldLength)
                    .arg(length));
    return false;
}

bool TFieldLengthGuard::Paste(QLineEdit* edit) {
    if (!edit || edit->isReadOnly()) return false;
    if (!Fits(edit, QGuiApplication::clipboard()->text().size())) return false;
    edit->paste();
    return true;
}

bool TFieldLengthGuard::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || FieldOf(edit) < 0) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste)) {
                Paste(edit);
                return true;
            }
            // A typed character that has no room.
            const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                               !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
            if (typed && !Fits(edit, key->text().size())) return true;
            break;
        }
        case QEvent::ContextMenu: {
            // The edit's own menu, with its Paste checked like the others.
            const std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
            for (QAction* action : menu->actions()) {
                if (action->objectName() != QLatin1String("edit-paste")) continue;
                action->disconnect();
                connect(action, &QAction::triggered, this, [this, edit] { Paste(edit); });
            }
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            // The middle button pastes the selection where the system has one.
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QClipboard* clipboard = QGuiApplication::clipboard();
            if (mouse->button() == Qt::MiddleButton && clipboard->supportsSelection() &&
                !Fits(edit, clipboard->text(QClipboard::Selection).size()))
                return true;
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData() && drop->mimeData()->hasText() && !Fits(edit, drop->mimeData()->text().size())) {
                drop->ignore();
                return true;
            }
            break;
        }
        default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora
