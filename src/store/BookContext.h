#pragma once

// What a data window is given by whoever creates it: the open book and the
// clock. Windows keep it by value; both referents outlive every window.

namespace qb {

class Clock;
class DataStore;

struct BookContext
{
    DataStore& store;
    const Clock& clock;
};

} // namespace qb
