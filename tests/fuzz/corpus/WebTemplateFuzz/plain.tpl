<html>
<body>no tags at all</body>
</html>