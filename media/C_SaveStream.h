#pragma once
// The stream a saved game is written into and read back from, as the classes
// that save their own state see it.  Every class writes its fields with
// Write and reads them back with Read, in the same order and widths.
//
// Reads are bounded: a read past the end of the data fills the rest of the
// destination with zeros and sets the error flag.  The error flag is sticky;
// a reader that finds a value it cannot accept sets it too, and the whole
// load then fails.

#include <cstdint>

class CSaveStream
{
public:
    virtual ~CSaveStream() = default;

    // Appends count bytes; returns count.
    virtual int Write(const void* data, int count) = 0;
    // Copies the next count bytes; returns the new position.
    virtual int Read(void* data, int count) = 0;

    virtual bool HasError() const = 0;
    virtual void SetError() = 0;
};
