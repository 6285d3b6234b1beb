#pragma once

#include <QtGlobal>

// A card of the memory game: face down, face up, or removed with its pair.
enum class CardState : qint16 { Down = 0, Up = 1, Removed = 2 };
