// Zeiss / Trimble DiNi levelling recordings (M5 lines) turned into a
// levelling book (".na3").
//
// "TO Start-Line <method> <n>" opens a run, "TO End-Line" closes it. A
// "KD1" line holds one staff reading: backsight Rb / Lr, foresight
// Rf / Lv or intermediate sight Rz / Lz, with its distance HD / E and the
// height Z the level computed; a "KD1" line with a height Z only gives a
// row without reading (the start height, the height of a foresight point).
// Rows are written in recording order, one per staff reading; with a
// double-reading method (BFFB, aBFFB, BBFF, FBBF) the second reading of a
// point in a set-up is averaged into its first, as the GSI route does.
// Turning points recorded without a name get the names 700001, 700002...
// (the same name for their foresight and the next set-up's backsight), so
// that the reduction eliminates them.
//
// Skipped and counted: line summaries (Sh, dz, Db, Df; KD2 lines), text
// lines, lines flagged in error in column 119 and "#####" readings.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "import/survey_record.hpp"

namespace kestrova {

class TLineSink;

class TM5LevellingReader {
public:
    TM5LevellingReader(TLineSink& sink, TImportReport& report);
    ~TM5LevellingReader();
    void Line(std::string_view line, int number);  // throws TImportError
    void Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova
