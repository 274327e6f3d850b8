#pragma once
// Fixed-capacity array of records with an index kept in ascending order of a
// 32-bit key, searched by halving.  Records keep their insertion order (their
// index is their number); the index lists them by key.  An insert into a full
// array is reported as a failed check and refused.

#include <cstdint>
#include <memory>
#include <utility>

#include "core/C_LogFile.h"

template <typename TRecord, typename TKey = int32_t>
class T_OrderedArray
{
public:
    explicit T_OrderedArray(int capacity)
        : m_Records(new TRecord[capacity > 0 ? capacity : 0])
        , m_Keys(new TKey[capacity > 0 ? capacity : 0])
        , m_Order(new int[capacity > 0 ? capacity : 0])
        , m_Capacity(capacity > 0 ? capacity : 0)
    {
    }

    T_OrderedArray(const T_OrderedArray&) = delete;
    T_OrderedArray& operator=(const T_OrderedArray&) = delete;

    // Stores the record under its key; its record index, or -1 when full.  A
    // key equal to present ones is ordered behind them.
    int Insert(TKey key, TRecord record)
    {
        if (m_Count >= m_Capacity)
        {
            DEBUG_REPORT_AT(nullptr, 49);
            return -1;
        }
        const int position = UpperBound(key);
        for (int i = m_Count; i > position; --i)
            m_Order[i] = m_Order[i - 1];
        m_Order[position] = m_Count;
        m_Records[m_Count] = std::move(record);
        m_Keys[m_Count] = key;
        return m_Count++;
    }

    // Record index of a record with this key, or -1.
    int FindIndex(TKey key) const
    {
        int low = 0;
        int high = m_Count - 1;
        while (low <= high)
        {
            const int middle = low + (high - low) / 2;
            const TKey found = m_Keys[m_Order[middle]];
            if (found == key)
                return m_Order[middle];
            if (key < found)
                high = middle - 1;
            else
                low = middle + 1;
        }
        return -1;
    }

    TRecord* Find(TKey key)
    {
        const int index = FindIndex(key);
        return index >= 0 ? &m_Records[index] : nullptr;
    }

    void Clear() { m_Count = 0; }

    TRecord& operator[](int index) { return m_Records[index]; }
    const TRecord& operator[](int index) const { return m_Records[index]; }
    TKey GetKey(int index) const { return m_Keys[index]; }
    // Record index at a place of the key order.
    int GetOrdered(int position) const { return m_Order[position]; }
    int GetCount() const { return m_Count; }
    int GetCapacity() const { return m_Capacity; }

private:
    // First place of the order whose key is greater than `key`.
    int UpperBound(TKey key) const
    {
        int low = 0;
        int high = m_Count;
        while (low < high)
        {
            const int middle = low + (high - low) / 2;
            if (key < m_Keys[m_Order[middle]])
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    }

    std::unique_ptr<TRecord[]> m_Records;
    std::unique_ptr<TKey[]> m_Keys;
    std::unique_ptr<int[]> m_Order;
    int m_Count = 0;
    int m_Capacity = 0;
};
