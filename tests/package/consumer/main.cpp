// Prints the directivity of a horn and one classic gain: both halves of the library link.
#include <zavolt/aperture.hpp>
#include <zavolt/classic.hpp>

#include <cstdio>

int main() {
  const zavolt::aperture::Horn horn{0.074349, 0.184386, zavolt::aperture::Phase::spherical};
  const double dbi = zavolt::aperture::directivity(horn, 10e9).dbi;
  const float classic_db = zavolt::classic::gain_db(10.0f, 2.92712f, 7.25929f);
  std::printf("%.2f %.2f\n", dbi, static_cast<double>(classic_db));
  return dbi > 19.0 && dbi < 21.0 && classic_db > 19.0f && classic_db < 21.0f ? 0 : 1;
}
