// MB/s of the byte interface: the piecewise calls on a container-sized piece,
// the whole-message call on a text-sized one.
#include "common/secure.h"
#include "crypt/cipher/rijndael.h"

#include <benchmark/benchmark.h>

namespace {

kuvo::Bytes randomData(std::size_t n)
{
    kuvo::Bytes data(n);
    kuvo::randomBytes(data.data(), data.size());
    return data;
}

const kuvo::Bytes& key()
{
    static const kuvo::Bytes k = randomData(kuvo::CRijndael::KeySize);
    return k;
}

void BM_EncryptDo(benchmark::State& state)
{
    const kuvo::Bytes data = randomData(std::size_t(state.range(0)));
    kuvo::CRijndael cipher;
    cipher.EncryptPrepareKey(key());
    for (auto _ : state) {
        auto out = cipher.EncryptDo(data, true);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_DecryptDo(benchmark::State& state)
{
    const kuvo::Bytes data = randomData(std::size_t(state.range(0)));
    kuvo::CRijndael cipher;
    cipher.EncryptPrepareKey(key());
    for (auto _ : state) {
        auto out = cipher.DecryptDo(data, true);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Includes the key setup, as each text operation pays it.
void BM_EncryptData(benchmark::State& state)
{
    const kuvo::Bytes data = randomData(std::size_t(state.range(0)));
    kuvo::CRijndael cipher;
    for (auto _ : state) {
        auto out = cipher.EncryptData(data, key(), true);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

constexpr std::int64_t k16MiB = 16 << 20;
constexpr std::int64_t k4KiB = 4 << 10;

BENCHMARK(BM_EncryptDo)->Arg(k16MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecryptDo)->Arg(k16MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncryptData)->Arg(k4KiB)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
