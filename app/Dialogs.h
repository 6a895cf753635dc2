// The modal questions of the window - the Open and Save dialogs, the page
// dialog, the system print dialog and the question before losing input - go
// through this one interface, so that tests answer them without a person.
// The window uses TSystemDialogs unless it is given another.
#pragma once

#include "app/FYesNotCancel.h"

#include <QString>

class QPrinter;
class QWidget;

namespace velmora {

class TForm2;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // The file chosen in the Open dialog; empty when it was cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
    // The file chosen in the Save dialog (with the extension added when none
    // was typed); empty when it was cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // Shows the page dialog; true when it was closed with OK.
    virtual bool ConfigurePage(TForm2& form) = 0;
    // Shows the system print dialog for printer; true when it was confirmed.
    virtual bool SetupPrinter(QWidget* parent, QPrinter& printer) = 0;
    // Asks "Do you want to save changes made?".
    virtual TConfirmAnswer ConfirmSave(QWidget* parent) = 0;
};

// The dialogs of the desktop: QFileDialog, QPrintDialog, TForm2 and TYesNotCancel.
class TSystemDialogs : public TDialogs {
public:
    QString OpenFileName(QWidget* parent, const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix) override;
    bool ConfigurePage(TForm2& form) override;
    bool SetupPrinter(QWidget* parent, QPrinter& printer) override;
    TConfirmAnswer ConfirmSave(QWidget* parent) override;
};

}  // namespace velmora
