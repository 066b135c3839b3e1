s = 'abcdefghij'
t = 0
for i in range(1, 1500001):
    u = s[1:6]
    u = u + 'xyz'
    n = len(u)
    t = t + n
print(t)
