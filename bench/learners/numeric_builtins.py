import math
t = 0
x = 0.0
for i in range(1, 700001):
    x = x + 1
    r = math.sqrt(x)
    k = round(r)
    t = t + k
    y = 500 - r
    r = abs(y)
    k = round(r)
    t = t + k
print(t)
