#pragma once
// Two pieces of work timed side by side: run one after the other, which of
// them first alternating from one call to the next, so that a slow moment of
// the machine falls on both alike.

template <typename First, typename Second>
void InTurn(bool& firstGoesFirst, First first, Second second)
{
    if (firstGoesFirst) {
        first();
        second();
    } else {
        second();
        first();
    }
    firstGoesFirst = !firstGoesFirst;
}
