t = 0
for i in range(1, 600001):
    s = str(i)
    u = s + 'abc'
    u = u.upper()
    p = s.find('7') + 1
    v = int(s)
    t = t + p
    w = v % 7
    t = t + w
    w = len(u)
    t = t + w
print(t)
