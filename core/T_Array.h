#pragma once
// Array of records that grows by whole blocks of elements.
//
// A growable array enlarges by its grow step; the default step (-1) is a
// block of a little over 32 KB of elements.  An array set up with
// AllocateFixed never grows: an append to a full one is reported as a failed
// check and refused, so the caller sees -1 or null and nothing is written
// past the block.  Elements are read and written directly by index below the
// count.

#include <memory>
#include <new>
#include <utility>

#include "core/C_LogFile.h"

template <typename T>
class T_Array
{
public:
    static constexpr int DefaultGrowStep = static_cast<int>(32768 / sizeof(T)) + 1;

    T_Array() = default;
    ~T_Array() { Free(); }
    T_Array(const T_Array&) = delete;
    T_Array& operator=(const T_Array&) = delete;

    // Sets the grow step (-1 selects the default) and allocates that many
    // elements; count 0.
    void Allocate(int growStep)
    {
        Free();
        m_GrowStep = ResolveGrowStep(growStep);
        m_Fixed = false;
        Reserve(m_GrowStep);
    }

    // A block of exactly `capacity` elements that never grows.
    void AllocateFixed(int capacity)
    {
        Free();
        m_Fixed = true;
        Reserve(capacity > 0 ? capacity : 0);
    }

    // Room for n elements; the present ones are kept (cut to n).
    void SetCapacity(int n)
    {
        if (n < 0)
            n = 0;
        if (!m_Data)
        {
            Reserve(n);
            return;
        }
        T* data = AllocateBlock(n);
        const int kept = m_Count < n ? m_Count : n;
        for (int i = 0; i < kept; ++i)
            new (data + i) T(std::move(m_Data[i]));
        DestroyElements(0, m_Count);
        ReleaseBlock();
        m_Data = data;
        m_Count = kept;
        m_Capacity = n;
    }

    // Appends a copy; the index of the new element, or -1 when a fixed array
    // is full.
    int Add(const T& element)
    {
        // The element may live in this very array: copy it before growing.
        T copy(element);
        if (!MakeRoom(26))
            return -1;
        new (m_Data + m_Count) T(std::move(copy));
        return m_Count++;
    }

    // Appends a default element and hands it out; null when a fixed array is
    // full.
    T* AddNew()
    {
        if (!MakeRoom(31))
            return nullptr;
        new (m_Data + m_Count) T();
        return &m_Data[m_Count++];
    }

    // Destroys the elements; the block stays for reuse.
    void Clear()
    {
        DestroyElements(0, m_Count);
        m_Count = 0;
    }

    // Destroys the elements and frees the block.
    void Free()
    {
        Clear();
        ReleaseBlock();
        m_Capacity = 0;
    }

    T& operator[](int index) { return m_Data[index]; }
    const T& operator[](int index) const { return m_Data[index]; }
    T* GetData() { return m_Data; }
    int GetCount() const { return m_Count; }
    int GetCapacity() const { return m_Capacity; }
    int GetGrowStep() const { return m_GrowStep; }
    bool IsFixed() const { return m_Fixed; }

private:
    static int ResolveGrowStep(int growStep) { return growStep > 0 ? growStep : DefaultGrowStep; }

    static T* AllocateBlock(int n)
    {
        return n > 0 ? std::allocator<T>().allocate(static_cast<size_t>(n)) : nullptr;
    }

    void Reserve(int n)
    {
        m_Data = AllocateBlock(n);
        m_Count = 0;
        m_Capacity = n;
    }

    void ReleaseBlock()
    {
        if (m_Data)
            std::allocator<T>().deallocate(m_Data, static_cast<size_t>(m_Capacity));
        m_Data = nullptr;
    }

    void DestroyElements(int from, int to)
    {
        for (int i = from; i < to; ++i)
            m_Data[i].~T();
    }

    // Makes room for one more element; a full fixed array reports the check
    // of the calling append operation and refuses.
    bool MakeRoom(int reportLine)
    {
        if (m_Fixed)
        {
            if (m_Count < m_Capacity)
                return true;
            DEBUG_REPORT_AT(nullptr, reportLine);
            return false;
        }
        if (!m_Data)
        {
            m_GrowStep = ResolveGrowStep(m_GrowStep);
            Reserve(m_GrowStep);
        }
        else if (m_Count == m_Capacity)
        {
            SetCapacity(m_Capacity + ResolveGrowStep(m_GrowStep));
        }
        return true;
    }

    T* m_Data = nullptr;
    int m_Count = 0;
    int m_Capacity = 0;
    int m_GrowStep = -1;
    bool m_Fixed = false;
};
