# The median of a[1..n] (sorts a in place), for the bench scripts' summaries:
#   awk "$(cat bench/median.awk)"'...median(values, count)...'
function median(a, n,   i, j, t) {
  for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
  return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
