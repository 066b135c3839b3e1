// The single-instance windows of the "Programmer" and "Voir" commands, made once when the
// IDE starts and shared by every editor window.
#pragma once

#include "generatordialogs.h"
#include "picklists.h"

namespace zef {

struct GeneratorWindows {
    explicit GeneratorWindows(QWidget* parent)
        : ListeSel(new TListeSel(parent)), MotsCle(new TMotsCle(parent)), BoucleFor(new TBoucleFor(parent)),
          BoucleWhile(new TBoucleWhile(parent)), ConditionIf(new TConditionIf(parent)), FileIO(new TFileIO(parent)) {}
    TListeSel* ListeSel;
    TMotsCle* MotsCle;
    TBoucleFor* BoucleFor;
    TBoucleWhile* BoucleWhile;
    TConditionIf* ConditionIf;
    TFileIO* FileIO;
};

} // namespace zef
