// The byte order of every file the game writes: 32-bit little-endian words
// (config.sav, record.sav, extras.sav, ghost files), whatever the machine.
#pragma once
#include <cstdint>
#include <cstdio>

inline void PutLittleEndian(unsigned char* at, uint32_t value)
{
    for (int i = 0; i < 4; i++) at[i] = (unsigned char)(value >> (8 * i));
}

inline uint32_t GetLittleEndian(const unsigned char* at)
{
    return (uint32_t)at[0] | ((uint32_t)at[1] << 8) | ((uint32_t)at[2] << 16) | ((uint32_t)at[3] << 24);
}

// Reads up to `count` whole values; a value cut short by the end is not used.
inline int ReadLittleEndianWords(FILE* file, uint32_t* values, int count)
{
    int read = 0;
    unsigned char bytes[4];
    while (read < count && fread(bytes, 4, 1, file) == 1) values[read++] = GetLittleEndian(bytes);
    return read;
}
