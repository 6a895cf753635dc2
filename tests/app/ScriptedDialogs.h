// The window's modal dialogs answered by a script instead of a person: each
// question takes the next prepared answer and is counted. Without a prepared
// answer a dialog is cancelled, and the question before closing is answered
// "No" (the input is discarded).
#pragma once

#include "app/Dialogs.h"
#include "printing/PageSetupDialog.h"

#include <QPrinter>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

class ScriptedDialogs : public velmora::TDialogs {
public:
    QString OpenFileName(QWidget*, const QString& filter, const QString& folder) override {
        ++opens;
        openFilter = filter;
        dialogFolder = folder;
        return Next(openAnswers, QString());
    }
    QString SaveFileName(QWidget*, const QString& title, const QString& filter, const QString& suffix,
                         const QString& folder) override {
        ++saves;
        saveTitle = title;
        saveFilter = filter;
        saveSuffix = suffix;
        dialogFolder = folder;
        return Next(saveAnswers, QString());
    }
    std::optional<int> FigureSize(QWidget*, int proposed, int min, int max) override {
        ++sizes;
        proposedSize = proposed;
        sizeRange = {min, max};
        return Next(sizeAnswers, std::optional<int>());
    }
    bool ConfigurePage(velmora::TPageSetupDialog& form) override {
        ++pages;
        form.OnActivate();
        if (!configure) return false;
        if (!configure(form)) return false;
        form.OnOKButton();
        return true;
    }
    bool SetupPrinter(QWidget*, QPrinter& printer) override {
        ++printers;
        return setupPrinter && setupPrinter(printer);
    }
    velmora::TConfirmAnswer ConfirmSave(QWidget*) override {
        ++questions;
        return Next(confirmAnswers, velmora::TConfirmAnswer::No);
    }

    std::deque<QString> openAnswers, saveAnswers;
    std::deque<velmora::TConfirmAnswer> confirmAnswers;
    std::deque<std::optional<int>> sizeAnswers;
    std::function<bool(velmora::TPageSetupDialog&)> configure;  // sets the controls; false cancels
    std::function<bool(QPrinter&)> setupPrinter;       // sets the printer; false cancels
    int opens = 0, saves = 0, pages = 0, printers = 0, questions = 0, sizes = 0;
    QString openFilter, saveTitle, saveFilter, saveSuffix, dialogFolder;
    int proposedSize = 0;
    std::pair<int, int> sizeRange;

private:
    template <class T>
    static T Next(std::deque<T>& answers, T none) {
        if (answers.empty()) return none;
        T a = answers.front();
        answers.pop_front();
        return a;
    }
};
