#pragma once

#include <QString>

// The advertising pages on the maker's site are numbered 0 to 9; each must
// carry, as its title, the key derived for its number.
inline constexpr int AdPageCount = 10;
// The fixed constant mixed into every page's key.
inline constexpr int AdKeyConstant = 2008;

// The title page n must carry: ten digits 1..9 drawn from the runtime
// generator after reseeding it with -(n + AdKeyConstant). The same n always
// gives the same key. Leaves the shared generator in the reseeded sequence.
QString TitleKeyFor(int adNumber);
