local s = 0
local t = {}
for i = 1, 1000 do t[i] = 0 end
for k = 1, 3000 do
  for i = 1, 1000 do
    t[i] = i + k
  end
  for i = 1, 1000 do
    s = s + t[i]
  end
  s = s % 999983
end
print(s)
