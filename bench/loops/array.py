s = 0
t = [0] * 1001
for k in range(1, 3001):
    for i in range(1, 1001):
        t[i] = i + k
    for i in range(1, 1001):
        s = s + t[i]
    s = s % 999983
print(s)
