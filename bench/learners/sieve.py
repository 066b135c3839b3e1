n = 0
t = [0] * 1901
for r in range(1, 1001):
    for i in range(1, 1901):
        t[i] = 1
    for i in range(2, 1901):
        if t[i] == 1:
            n = n + 1
            k = i * i
            while k <= 1900:
                t[k] = 0
                k = k + i
print(n)
