#include "catalogue/catalogue_text.h"

namespace qsp {

std::string CatalogueText::operator()(std::string_view english) const {
    // Translation tables per language are looked up here; until a language has one, the
    // English text is what every language shows.
    return std::string(english);
}

}  // namespace qsp
