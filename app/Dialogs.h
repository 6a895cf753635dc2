// The modal questions of the window - the Open and Save dialogs, the size of
// an exported image, the page dialog, the system print dialog and the
// question before losing input - go
// through this one interface, so that tests answer them without a person.
// The window uses TSystemDialogs unless it is given another.
#pragma once

#include "app/SaveChangesQuestion.h"

#include <QString>

#include <optional>

class QPrinter;
class QWidget;

namespace velmora {

class TPageSetupDialog;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // The file chosen in the Open dialog, which starts in folder (the
    // dialog's own choice when empty); empty when it was cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& filter, const QString& folder) = 0;
    // The file chosen in the Save dialog, which starts in folder and offers
    // the types of filter (";;" between them); without a typed extension the
    // chosen type's is added (defaultSuffix for the first type). Empty when
    // it was cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix, const QString& folder) = 0;
    // The side in pixels of an exported image, proposed first, from min to
    // max; none when it was cancelled.
    virtual std::optional<int> FigureSize(QWidget* parent, int proposed, int min, int max) = 0;
    // Shows the page dialog; true when it was closed with OK.
    virtual bool ConfigurePage(TPageSetupDialog& form) = 0;
    // Shows the system print dialog for printer; true when it was confirmed.
    virtual bool SetupPrinter(QWidget* parent, QPrinter& printer) = 0;
    // Asks "Do you want to save changes made?".
    virtual TConfirmAnswer ConfirmSave(QWidget* parent) = 0;
};

// The dialogs of the desktop: QFileDialog, QInputDialog, QPrintDialog, TPageSetupDialog and TSaveChangesQuestion.
class TSystemDialogs : public TDialogs {
public:
    QString OpenFileName(QWidget* parent, const QString& filter, const QString& folder) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
                         const QString& folder) override;
    std::optional<int> FigureSize(QWidget* parent, int proposed, int min, int max) override;
    bool ConfigurePage(TPageSetupDialog& form) override;
    bool SetupPrinter(QWidget* parent, QPrinter& printer) override;
    TConfirmAnswer ConfirmSave(QWidget* parent) override;
};

}  // namespace velmora
