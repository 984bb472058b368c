// The XML field book (".xcrt"): reader, and the writer of the XML form of a
// text field book.
#pragma once
#include <string>
#include <vector>

#include "base/progress.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// Reads an XML book into `book` (a new one) and resolves its calibrations.
// A missing required attribute, a bad integer, a real that is not a number
// where one is required, a station without `rawdata` or a document that does
// not parse ends the reading: what was read before stays (stations complete
// up to the faulty one), is resolved, the error goes to the trace and the
// function returns false. A cancel through `progress` throws TCancelled.
bool ReadXmlBook(Tday_obs& book, const std::vector<std::string>& lines, TProgress& progress = NoProgress());

// The lines of the XML form of a text field book. A line that fails
// part-way keeps what it set and the reading goes on; its number (from 1)
// is appended to `unreadLines` when given.
std::vector<std::string> TextToXmlBook(const std::vector<std::string>& lines, std::vector<int>* unreadLines = nullptr);

}  // namespace kestrova
