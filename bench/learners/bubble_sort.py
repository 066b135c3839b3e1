n = 1800
x = 12345
t = [0] * 1801
for i in range(1, n + 1):
    x = x * 1103
    x = x + 12345
    x = x % 65536
    t[i] = x
for i in range(1, n + 1):
    m = n - i
    for j in range(1, m + 1):
        a = t[j]
        k = j + 1
        b = t[k]
        if a > b:
            t[j] = b
            t[k] = a
print(t[1])
print(t[900])
print(t[1800])
