// Attributes of the XML field books that the converters write line by line.
#pragma once
#include <string>
#include <string_view>

namespace kestrova {

// Appends ` name="value"` with the value escaped for an attribute: "&", "<"
// and '"' as entities, a tabulation as a character reference, any other
// control character as "?" (the value stays well formed XML).
void AppendXmlAttribute(std::string& out, std::string_view name, std::string_view value);

}  // namespace kestrova
