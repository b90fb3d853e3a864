#pragma once
// What a money routine knows of the world it runs in: the moment of the action (its date is the
// day bills, payments and late fees are dated with, its time goes into the log), the system
// parameters and the operator's name. The caller hands it in, so a test, a batch and a window
// each run with their own; only the windows build it from the program's globals.
#include <QDate>
#include <QDateTime>
#include <QString>

#include "shell/system_parameters.h"

namespace shell {

struct RunContext {
    QDateTime now;                // the action's moment, to the second
    SystemParameters parameters;  // as pz held them when the action began
    QString operator_name;        // 收费人员 of the operator doing it
    QDate today() const { return now.date(); }
};

// The program's clock, its loaded parameters and the logged-in operator.
RunContext program_context();

// A run on `day` (at midnight) with the given parameters and operator: batches and tests.
RunContext run_on(const QDate& day, const SystemParameters& parameters = {},
                  const QString& operator_name = {});

}  // namespace shell
