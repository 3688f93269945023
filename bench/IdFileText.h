#pragma once

#include <string>

#include "ids/IdFile.h"
#include "xml/XmlTextDoc.h"

namespace gen {

// The ID file as the ID Setting page writes it, five repeaters filled.
inline std::string IdFileText() {
    ids::RepeaterRecords records;
    for (int k = 0; k < 5; ++k) {
        const std::string n = std::to_string(k + 1);
        records[static_cast<std::size_t>(k)] = {"10000" + n, "20000" + n, "30000" + n, "40000" + n, "######", "######"};
    }
    xml::XmlTextDoc doc;
    ids::BuildIdDocument(doc, "A1B2C3", "A1B2C4", records);
    return doc.DocText();
}

}  // namespace gen
